#!/bin/sh
# Builds the Debian package from the tree's own files in a scratch copy and
# checks it with lintian.   package.sh OUT_DIR
set -eu
top=$(dirname "$(readlink -f "$0")")/..
out=$(readlink -f "${1:-$top/out}")
"$top/scripts/deps.sh" package
as_root=""
[ "$(id -u)" = 0 ] || as_root=sudo
work=$(mktemp -d /tmp/quorvane-deb.XXXXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/quorvane"
(cd "$top" && git ls-files --cached --others --exclude-standard -z | xargs -0 tar -cf - --no-recursion) |
    tar -xf - -C "$work/quorvane"
cd "$work/quorvane"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -q ./ >/dev/null
dpkg-buildpackage -b -us -uc
mkdir -p "$out"
cp ../*.deb ../*.changes ../*.buildinfo "$out/"
# Errors fail the build; warnings are printed for the reader.
lintian --fail-on error --info "$out"/quorvane_*.changes
