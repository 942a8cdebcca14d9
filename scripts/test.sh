#!/bin/sh
# Installs what is missing, builds Quorvane and runs the whole test suite:
# the plain build, AddressSanitizer + UndefinedBehaviorSanitizer, the
# threaded tests under ThreadSanitizer, the Debian package, the Windows
# build under Wine, and each fuzz target for a while.
# QV_FUZZ_SECONDS (default 60) sets how long each fuzz target runs.
set -eu
top=$(dirname "$(readlink -f "$0")")/..
"$top/scripts/deps.sh" test
jobs=$(nproc)

step() { printf '\n=== %s\n' "$*"; }

step "plain build"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j "$jobs"
if grep -rlE '#include <Qt(Widgets|Gui)|#include <Q[A-Z][a-zA-Z]*>' "$top/vendor" "$top/arp" "$top/platform"; then
    echo "the core must not include Qt headers" >&2
    exit 1
fi
ctest --test-dir "$top/build" --output-on-failure -j "$jobs"

step "AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=address,undefined
cmake --build "$top/build-asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$top/build-asan" --output-on-failure -j "$jobs" -LE desktop

step "ThreadSanitizer (worker, lookups from two threads, window shutdown)"
cmake -S "$top" -B "$top/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread
cmake --build "$top/build-tsan" -j "$jobs" --target quorvane_core_tests quorvane_ui_tests
TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" \
    ctest --test-dir "$top/build-tsan" --output-on-failure -j "$jobs" \
    -R 'Refresher|LookupsFromTwoThreads|AddressText|MainWindow|ManualQuery|Tray|CNameResolver'

step "Debian package: build, lintian, install, check as nobody, purge"
"$top/scripts/package.sh" "$top/build-deb"
if [ "$(id -u)" = 0 ]; then
    "$top/tests/package/check-installed.sh" "$top"/build-deb/quorvane_*_"$(dpkg --print-architecture)".deb
else
    echo "not root: the installed package is not checked"
fi

step "Windows: cross-built, then run under Wine in a test namespace"
"$top/scripts/build-windows.sh" "$top/build-windows-out"
if [ "$(id -u)" = 0 ]; then
    "$top/tests/netns/run-in-netns.sh" "$top/tests/e2e/windows-e2e.sh" "$top/build-windows-out" "$top/build-win64"
else
    echo "not root: the Windows build is not run under Wine"
fi

step "fuzzing"
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQV_FUZZ=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
cmake --build "$top/build-fuzz" -j "$jobs" --target fuzz_xml_reader fuzz_neigh_message fuzz_registry_csv
"$top/fuzz/run.sh" "$top/build-fuzz" "${QV_FUZZ_SECONDS:-60}"
step "all tests passed"
