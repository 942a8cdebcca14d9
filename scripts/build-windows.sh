#!/bin/sh
# Cross-builds the native Windows programs, quorvane.exe (the command line)
# and quorvane-window.exe (the window), for 64-bit (PE32+) and 32-bit (PE32)
# Windows, each with a zip and an installer:
#   OUT/win64/quorvane.exe, OUT/win32/quorvane.exe (and quorvane-window.exe),
#   OUT/quorvane-VERSION-win64.zip (and -win32.zip),
#   OUT/quorvane-VERSION-win64-setup.exe (and -win32-setup.exe).
#   build-windows.sh OUT
set -eu
top=$(dirname "$(readlink -f "$0")")/..
[ $# -eq 1 ] || { echo "usage: build-windows.sh OUT" >&2; exit 2; }
out=$(readlink -m "$1")
"$top/scripts/deps.sh" windows
version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")

# The vendor table is written by the host's own generator.
cmake -S "$top" -B "$top/build-host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
cmake --build "$top/build-host" --target quorvane-vendortable

mkdir -p "$out"
for target in win64:x86_64 win32:i686; do
    name=${target%%:*}
    arch=${target##*:}
    build="$top/build-$name"
    # The tests run under Wine, which runs only the 64-bit build here.
    tests=OFF
    [ "$name" = win64 ] && tests=ON
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=$tests \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-$arch.cmake" \
        -DQV_VENDOR_TABLE_TOOL="$top/build-host/quorvane-vendortable"
    cmake --build "$build"
    stage="$out/$name"
    rm -rf "$stage"
    mkdir -p "$stage"
    cp "$build/quorvane.exe" "$build/quorvane-window.exe" "$stage/"
    # Text files with Windows line ends.
    for text in README.txt LICENSE.txt; do
        sed 's/$/\r/' "$top/data/windows/$text" > "$stage/$text"
    done
    rm -f "$out/quorvane-$version-$name.zip"
    (cd "$stage" && zip -q -X "$out/quorvane-$version-$name.zip" quorvane.exe quorvane-window.exe README.txt LICENSE.txt)
    makensis -V2 -DVERSION="$version" -DARCH="$name" -DSOURCE="$stage" \
        -DOUTFILE="$out/quorvane-$version-$name-setup.exe" "$top/data/windows/quorvane.nsi"
done
echo "Windows builds in $out"
