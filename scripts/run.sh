#!/bin/sh
# Installs what is missing, builds Quorvane and starts it.
set -eu
top=$(dirname "$(readlink -f "$0")")/..
"$top/scripts/deps.sh" run
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
cmake --build "$top/build" --target quorvane
exec "$top/build/quorvane" "$@"
