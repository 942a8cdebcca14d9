#!/bin/sh
# Inside a test namespace (bench/run.sh): 1,000 permanent neighbours whose
# MACs match no vendor, then "quorvane --list" beside net-tools' "arp -a" on
# the same table, with a name server that refuses at once and with one that
# never answers; and the window against the silent one.
#   list-vs-arp.sh BUILD_DIR
set -eu
build=$1
[ -n "${QV_NETNS:-}" ] || { echo "run through bench/run.sh (needs a test namespace)" >&2; exit 1; }
command -v arp >/dev/null || { echo "arp (Debian net-tools) is missing" >&2; exit 1; }
ip neigh flush dev h0 nud permanent
for i in $(seq 0 999); do
    echo "neigh add 10.213.$((100 + i / 250)).$((1 + i % 250)) lladdr 02:00:00:00:$(printf %02x $((i / 256))):$(printf %02x $((i % 256))) nud permanent dev h0"
done | ip -batch -
saved=$(cat /etc/resolv.conf)
silent=""
restore() {
    [ -n "$silent" ] && kill "$silent" 2>/dev/null
    printf '%s\n' "$saved" > /etc/resolv.conf
    ip neigh flush dev h0 nud permanent
}
trap restore EXIT
once() { start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; echo $(( ($(date +%s%N) - start) / 1000000 )); }
# Median of seven runs.
ms() { for _ in 1 2 3 4 5 6 7; do once "$@"; done | sort -n | sed -n 4p; }

# Nothing listens on 127.0.0.3:53: every query is refused at once.
echo "nameserver 127.0.0.3" > /etc/resolv.conf
echo "refusing name server: quorvane --list $(ms "$build/quorvane" --list) ms, arp -a $(ms arp -a) ms," \
     "quorvane --list -n $(ms "$build/quorvane" --list -n) ms, arp -an $(ms arp -an) ms"

# A socket that takes queries and never reads them.
python3 -c 'import socket,time; s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM); s.bind(("127.0.0.2",53)); time.sleep(3600)' &
silent=$!
sleep 0.3
echo "nameserver 127.0.0.2" > /etc/resolv.conf
echo "silent name server: one lookup $(once getent hosts 10.213.100.1) ms," \
     "quorvane --list $(once "$build/quorvane" --list) ms"
QT_QPA_PLATFORM=offscreen "$build/bench/quorvane_bench_window" --real
