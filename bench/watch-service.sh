#!/bin/sh
# Inside a test namespace (bench/run.sh): "quorvane --watch --json --state
# --metrics" as the service runs it, with 10,000 stations: its resident
# memory, its CPU while the LAN is quiet for 10 s, and for a burst in which
# every station changes its MAC.
#   watch-service.sh BUILD_DIR
set -eu
build=$1
[ -n "${QV_NETNS:-}" ] || { echo "run through bench/run.sh (needs a test namespace)" >&2; exit 1; }
work=$(mktemp -d /tmp/qvwatch.XXXXXX)
batch() {
    awk -v last="$1" 'BEGIN { for (i = 0; i < 10000; i++) printf "neigh replace 10.213.%d.%d lladdr 02:00:00:%02x:%02x:%s nud permanent dev h0\n", 120 + int(i / 250), 1 + i % 250, int(i / 256), i % 256, last }' | ip -batch -
}
cleanup() { kill "$pid" 2>/dev/null; ip neigh flush dev h0 nud permanent to 10.213.112.0/20; rm -rf "$work"; }
batch 01
"$build/quorvane" --watch --json --state "$work/state.jsonl" --metrics "$work/quorvane.prom" >"$work/events" 2>&1 &
pid=$!
trap cleanup EXIT
until [ -s "$work/quorvane.prom" ]; do sleep 0.05; done
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks); sleep 10; quiet=$(( $(ticks) - before ))
before=$(ticks); start=$(date +%s%N)
batch 02
until [ "$(grep -c changed "$work/events")" -ge 10000 ]; do sleep 0.05; done
burst_ms=$(( ($(date +%s%N) - start) / 1000000 ))
sleep 2
burst=$(( $(ticks) - before ))
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
echo "watch service, 10,000 stations: resident ${rss} KiB; CPU $((quiet * 1000 / hz)) ms in 10 s quiet;" \
     "$((burst * 1000 / hz)) ms for a burst of 10,000 changes (all reported after ${burst_ms} ms);" \
     "state file $(( $(stat -c %s "$work/state.jsonl") / 1024 )) KiB"
