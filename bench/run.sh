#!/bin/sh
# Runs the benchmarks; the snapshot ones inside a test namespace.
#   bench/run.sh BUILD_DIR
set -eu
here=$(dirname "$(readlink -f "$0")")
build=${1:-$here/../build}
"$build/bench/quorvane_bench_vendor"
"$here/../tests/netns/run-in-netns.sh" "$build/bench/quorvane_bench_snapshot"
"$build/bench/quorvane_bench_window"
"$here/../tests/netns/run-in-netns.sh" "$here/list-vs-arp.sh" "$build"
"$here/../tests/netns/run-in-netns.sh" "$here/start-cost.sh" "$build"
"$here/../tests/netns/run-in-netns.sh" "$build/bench/quorvane_bench_watch"
"$here/../tests/netns/run-in-netns.sh" "$here/watch-service.sh" "$build"
