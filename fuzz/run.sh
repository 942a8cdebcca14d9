#!/bin/sh
# Runs each fuzz target for a while on a copy of its committed seeds.
#   run.sh BUILD_DIR SECONDS
set -eu
here=$(dirname "$(readlink -f "$0")")
build=$1
seconds=${2:-60}
work=$(mktemp -d /tmp/qvfuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
for target in xml_reader:xml neigh_message:neigh registry_csv:csv; do
    name=${target%%:*}
    seeds=${target##*:}
    mkdir -p "$work/$seeds"
    cp "$here/corpus/$seeds/"* "$work/$seeds/"
    echo "fuzz_$name: ${seconds}s"
    if ! "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz/crash-$name-" "$work/$seeds" \
        >"$build/fuzz/$name.log" 2>&1; then
        tail -40 "$build/fuzz/$name.log"
        echo "fuzz_$name found a problem; its input is in $build/fuzz/" >&2
        status=1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$build/fuzz/$name.log" || true
done
exit $status
