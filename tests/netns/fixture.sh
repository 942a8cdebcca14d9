#!/bin/sh
# Test hosts on this machine only: network namespaces joined by veth pairs.
#
#   fixture.sh up STATE_DIR     build them; writes STATE_DIR/env and pid files
#   fixture.sh down STATE_DIR   remove exactly what "up" made
#
# host  h0 10.213.1.1/24 -- p0 10.213.1.2/24  peer (MAC 00:00:0c:aa:bb:02)
# host  h1 10.213.2.1/24 -- r0 10.213.2.2/24  router, r1 10.213.3.1 -- b0 10.213.3.2 behind
# host resolver: dnsmasq on 127.0.0.1 inside the host namespace.
set -eu

cmd=$1
state=$2
id=$(basename "$state" | tr -cd 'a-z0-9' | tail -c 8)
host=qvh$id; peer=qvp$id; router=qvr$id; behind=qvb$id

down() {
    for pidfile in "$state/dnsmasq.pid" "$state/ping.pid"; do
        if [ -f "$pidfile" ]; then
            kill "$(cat "$pidfile")" 2>/dev/null || true
            rm -f "$pidfile"
        fi
    done
    for ns in $host $peer $router $behind; do
        ip netns del "$ns" 2>/dev/null || true
    done
    rm -rf "/etc/netns/$host"
}

if [ "$cmd" = down ]; then
    down
    exit 0
fi

mkdir -p "$state"
trap 'down' EXIT
for ns in $host $peer $router $behind; do ip netns add "$ns"; done
inh() { ip netns exec "$host" "$@"; }

ip link add h0 netns "$host" type veth peer name p0 netns "$peer"
ip link add h1 netns "$host" type veth peer name r0 netns "$router"
ip link add r1 netns "$router" type veth peer name b0 netns "$behind"

for ns in $host $peer $router $behind; do ip -n "$ns" link set lo up; done
ip -n "$peer" link set p0 address 00:00:0c:aa:bb:02
ip -n "$host" addr add 10.213.1.1/24 dev h0
ip -n "$host" addr add 10.213.2.1/24 dev h1
ip -n "$peer" addr add 10.213.1.2/24 dev p0
ip -n "$router" addr add 10.213.2.2/24 dev r0
ip -n "$router" addr add 10.213.3.1/24 dev r1
ip -n "$behind" addr add 10.213.3.2/24 dev b0
ip -n "$host" link set h0 up
ip -n "$host" link set h1 up
ip -n "$peer" link set p0 up
ip -n "$router" link set r0 up
ip -n "$router" link set r1 up
ip -n "$behind" link set b0 up
ip -n "$host" route add 10.213.3.0/24 via 10.213.2.2
ip -n "$host" route add default via 10.213.1.2 src 10.213.1.1
ip -n "$behind" route add default via 10.213.3.1
ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1

# The entries the tests look for.
ip -n "$host" neigh add 10.213.1.50 lladdr 00:00:0c:12:34:56 nud permanent dev h0
ip -n "$host" neigh add 10.213.1.51 lladdr aa:00:04:00:00:51 nud stale dev h0
ip -n "$host" neigh add 10.213.1.52 lladdr 02:00:00:00:00:52 nud noarp dev h0
inh ping -c 1 -W 2 10.213.1.2 >/dev/null
# Nobody answers .99: its entry goes INCOMPLETE, then FAILED.
# "ip netns exec" execs the command, so $! is the process itself.
ip netns exec "$host" ping -c 1 -W 1 10.213.1.99 >/dev/null 2>&1 &
echo $! > "$state/ping.pid"

# Reverse names from a real resolver inside the host namespace.
name49=$(printf 'n%.0s' $(seq 1 35)).quorvane.test
name200=$(printf 'a%.0s' $(seq 1 61)).$(printf 'b%.0s' $(seq 1 61)).$(printf 'c%.0s' $(seq 1 62)).quorvane.test
name253=$(printf 'd%.0s' $(seq 1 63)).$(printf 'e%.0s' $(seq 1 63)).$(printf 'f%.0s' $(seq 1 63)).$(printf 'g%.0s' $(seq 1 47)).quorvane.test
mkdir -p "/etc/netns/$host"
echo "nameserver 127.0.0.1" > "/etc/netns/$host/resolv.conf"
ip netns exec "$host" dnsmasq --keep-in-foreground --no-resolv --no-hosts --bogus-priv --conf-file=/dev/null \
    --listen-address=127.0.0.1 --bind-interfaces --port=53 --user=nobody --group=nogroup \
    --pid-file= \
    --ptr-record=2.1.213.10.in-addr.arpa,peer.quorvane.test \
    --ptr-record=50.1.213.10.in-addr.arpa,"$name49" \
    --ptr-record=51.1.213.10.in-addr.arpa,"$name200" \
    --ptr-record=52.1.213.10.in-addr.arpa,"$name253" \
    >"$state/dnsmasq.log" 2>&1 &
echo $! > "$state/dnsmasq.pid"
for _ in $(seq 1 100); do
    inh getent hosts 10.213.1.2 >/dev/null 2>&1 && break
    sleep 0.05
done
if ! inh getent hosts 10.213.1.2 >/dev/null 2>&1; then
    cat "$state/dnsmasq.log" >&2
    echo "fixture: the test resolver does not answer" >&2
    exit 1
fi

cat > "$state/env" <<ENV
QV_NETNS=$host
QV_PEER_NETNS=$peer
QV_NAME49=$name49
QV_NAME200=$name200
QV_NAME253=$name253
ENV
trap - EXIT
