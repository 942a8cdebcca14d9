#!/bin/sh
# Installs the Debian 12 packages Quorvane needs to build, run and test.
#   deps.sh run    what building and running takes
#   deps.sh test   that, plus the tools of the test suite
#   deps.sh package  what building the Debian package takes
#   deps.sh windows  that of run, plus the Windows cross build and Wine
set -eu
run_packages="cmake ninja-build g++ pkgconf qt6-base-dev libgl-dev libpugixml-dev libcap-ng-dev nlohmann-json3-dev fonts-wqy-zenhei qt6-translations-l10n"
test_packages="libgtest-dev libgmock-dev libbenchmark-dev ieee-data libxml2-utils iproute2 iputils-ping
  dnsmasq-base nftables util-linux libcap2-bin xvfb xauth openbox tint2 xdotool x11-utils imagemagick
  clang libclang-rt-14-dev prometheus prometheus-node-exporter curl systemd
  dpkg-dev debhelper fakeroot lintian desktop-file-utils appstream"
package_packages="dpkg-dev debhelper fakeroot lintian"
windows_packages="g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 nsis zip"
packages=$run_packages
[ "${1:-run}" = test ] && packages="$run_packages $test_packages $windows_packages"
[ "${1:-run}" = windows ] && packages="$run_packages $windows_packages"
[ "${1:-run}" = package ] && packages="$run_packages $package_packages"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
as_root=""
[ "$(id -u)" = 0 ] || as_root=sudo
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
