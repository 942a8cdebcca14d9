#!/bin/sh
# Runs a test binary inside fresh test namespaces (see fixture.sh) and
# removes them afterwards. Listing tests, or a machine without root or
# "ip netns", runs the binary as it is: its tests then skip.
here=$(dirname "$(readlink -f "$0")")
case " $* " in *" --gtest_list_tests "*) exec "$@" ;; esac
if [ "$(id -u)" != 0 ] || ! ip netns list >/dev/null 2>&1 || ! command -v dnsmasq >/dev/null 2>&1; then
    QV_NETNS_SKIP="needs root, iproute2 and dnsmasq to build test namespaces" exec "$@"
fi
state=$(mktemp -d /tmp/qvnetns.XXXXXXXX)
cleanup() { "$here/fixture.sh" down "$state"; rm -rf "$state"; }
trap cleanup EXIT INT TERM
if ! "$here/fixture.sh" up "$state" >"$state/up.log" 2>&1; then
    cat "$state/up.log" >&2
    echo "run-in-netns: the test namespaces could not be built" >&2
    exit 1
fi
set -a; . "$state/env"; set +a
ip netns exec "$QV_NETNS" "$@"
