#!/bin/sh
# Inside a test namespace (bench/run.sh): what a start costs with the
# compiled vendor table. "quorvane --vendor MAC" as a whole process
# (perf's task-clock, mean of 50 runs), and "quorvane --list -n" beside
# "ip -4 neigh" on the same 1,000 neighbours (median of 21 runs each).
#   start-cost.sh BUILD_DIR
set -eu
build=$1
[ -n "${QV_NETNS:-}" ] || { echo "run through bench/run.sh (needs a test namespace)" >&2; exit 1; }
if command -v perf >/dev/null && perf stat -e task-clock true >/dev/null 2>&1; then
    perf stat -r 50 -e task-clock,page-faults "$build/quorvane" --vendor 70:B3:D5:F2:F1:23 2>&1 >/dev/null |
        grep -E 'task-clock|page-faults' | sed 's/^ */quorvane --vendor: /'
else
    echo "perf (Debian linux-perf) is missing or not allowed: --vendor's CPU not measured"
fi
ip neigh flush dev h0 nud permanent
for i in $(seq 0 999); do
    echo "neigh add 10.213.$((100 + i / 250)).$((1 + i % 250)) lladdr 00:1b:21:00:$(printf %02x $((i / 256))):$(printf %02x $((i % 256))) nud permanent dev h0"
done | ip -batch -
trap 'ip neigh flush dev h0 nud permanent; ip -6 neigh flush dev h0 nud permanent' EXIT
once() { start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; echo $(( ($(date +%s%N) - start) / 1000 )); }
median() { sort -n | sed -n 11p; }
# Alternated, so both see the same machine.
: > /tmp/qv-start-list; : > /tmp/qv-start-ip
for _ in $(seq 21); do
    once "$build/quorvane" --list -n >> /tmp/qv-start-list
    once ip -4 neigh >> /tmp/qv-start-ip
done
list=$(median < /tmp/qv-start-list); ipn=$(median < /tmp/qv-start-ip)
echo "1,000 neighbours: quorvane --list -n ${list} us, ip -4 neigh ${ipn} us," \
     "ratio $(echo "scale=2; $list / $ipn" | bc 2>/dev/null || echo "$list/$ipn")"
# The same beside 1,000 IPv6 neighbours, against ip neigh of both families.
for i in $(seq 0 999); do
    echo "neigh add fd99:2::$(printf %x $((i + 1))) lladdr 00:1b:21:01:$(printf %02x $((i / 256))):$(printf %02x $((i % 256))) nud permanent dev h0"
done | ip -batch -
: > /tmp/qv-start-list; : > /tmp/qv-start-ip
for _ in $(seq 21); do
    once "$build/quorvane" --list -n >> /tmp/qv-start-list
    once ip neigh >> /tmp/qv-start-ip
done
list=$(median < /tmp/qv-start-list); ipn=$(median < /tmp/qv-start-ip)
echo "1,000 IPv4 + 1,000 IPv6 neighbours: quorvane --list -n ${list} us, ip neigh ${ipn} us," \
     "ratio $(echo "scale=2; $list / $ipn" | bc 2>/dev/null || echo "$list/$ipn")"
ip -6 neigh flush dev h0 nud permanent
rm -f /tmp/qv-start-list /tmp/qv-start-ip
