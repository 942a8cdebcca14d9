#!/bin/sh
# The Windows builds as users meet them: quorvane.exe and
# quorvane-window.exe under Wine and Xvfb, inside a test namespace (run
# through tests/netns/run-in-netns.sh), against the kernel's table that
# Wine's IP Helper API reads; the 64-bit setup is installed and uninstalled;
# the 32-bit build and its packages are checked for their format only (this
# machine runs no 32-bit Wine).
#   windows-e2e.sh OUT [BUILD]   (OUT as scripts/build-windows.sh wrote it;
#                                 BUILD the 64-bit build folder, for the tests
#                                 and for window.png, the window's screenshot)
set -eu
out=$(readlink -f "$1")
build=${2:-}
[ -n "${QV_NETNS:-}" ] || { echo "run through tests/netns/run-in-netns.sh" >&2; exit 1; }
work=$(mktemp -d /tmp/qvwine.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
xvfb=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

objdump -f "$out/win64/quorvane.exe" 2>/dev/null | grep -q 'file format pei-x86-64' ||
    x86_64-w64-mingw32-objdump -f "$out/win64/quorvane.exe" | grep -q 'file format pei-x86-64' ||
    fail "win64/quorvane.exe is not a PE32+ x86-64 program"
x86_64-w64-mingw32-objdump -f "$out/win32/quorvane.exe" | grep -q 'file format pei-i386' ||
    fail "win32/quorvane.exe is not a PE32 i386 program"
for name in win64 win32; do
    listed=$(zip -sf "$out"/quorvane-*-$name.zip | sed -n 's/^  *//p' | sort | tr '\n' ' ')
    [ "$listed" = "LICENSE.txt README.txt quorvane-window.exe quorvane.exe " ] || fail "$name zip holds: $listed"
    head -c 2 "$out"/quorvane-*-$name-setup.exe | grep -q MZ || fail "$name installer is no Windows program"
done

# A display of its own for the window.
Xvfb -displayfd 5 -screen 0 1024x768x24 5>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# Wine's services start here, in the namespace, before anything runs.
mkdir -p "$WINEPREFIX"
wineserver -p
wine cmd /c exit >/dev/null 2>&1
exe="$out/win64/quorvane.exe"

# The 64-bit setup as a user runs it (silently): the programs, the Start
# menu, the uninstall entry; then its uninstaller takes all of them away.
programs="$WINEPREFIX/drive_c/Program Files/Quorvane"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvane"
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane'
wine "$out"/quorvane-*-win64-setup.exe /S || fail "the win64 setup failed"
installed=$(cd "$programs" 2>/dev/null && LC_ALL=C ls | tr '\n' ' ')
[ "$installed" = "LICENSE.txt README.txt quorvane-window.exe quorvane.exe uninstall.exe " ] ||
    fail "the setup installed: $installed"
[ -f "$menu/Quorvane.lnk" ] && [ -f "$menu/Uninstall Quorvane.lnk" ] || fail "the setup made no Start-menu entries"
wine reg query "$uninstallKey" /reg:64 2>/dev/null | grep -q 'DisplayVersion.*REG_SZ' ||
    fail "the setup wrote no uninstall entry"
wine 'C:\Program Files\Quorvane\quorvane.exe' --version | grep -q '^quorvane ' ||
    fail "the installed quorvane.exe does not run"
wine 'C:\Program Files\Quorvane\uninstall.exe' /S || fail "the uninstaller failed"
# It finishes from a copy of itself in the temporary folder.
for _ in $(seq 100); do [ -e "$programs" ] || break; sleep 0.1; done
[ ! -e "$programs" ] && [ ! -e "$menu" ] || fail "the uninstaller left $(ls "$programs" "$menu" 2>&1 | tr '\n' ' ')"
! wine reg query "$uninstallKey" /reg:64 >/dev/null 2>&1 || fail "the uninstaller left its registry entry"

# The core's own tests, cross-built: a program that prints nothing has not run.
if [ -n "$build" ]; then
    if wine "$build/quorvane_windows_tests.exe" >"$work/tests" 2>&1; then
        grep -q '^\[  PASSED  \]' "$work/tests" || fail "the core's tests printed no result: $(tail -5 "$work/tests")"
    else
        fail "the core's tests failed under Wine: $(grep -E 'FAILED|Failure' "$work/tests" | head -20)"
    fi
    if wine "$build/quorvane_winui_tests.exe" >"$work/winui" 2>&1; then
        grep -q '^\[  PASSED  \]' "$work/winui" || fail "the window's test printed no result: $(tail -5 "$work/winui")"
    else
        fail "the window's test failed under Wine: $(grep -E 'FAILED|Failure|Expected|Which' "$work/winui" | head -20)"
    fi
fi

# The window on the namespace's table. Chinese labels need a font with the
# glyphs: Windows links one to the dialog font, Wine is told to.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'MS Sans Serif' \
    /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null 2>&1 || true
wine "$out/win64/quorvane-window.exe" >/dev/null 2>&1 &
for _ in $(seq 100); do
    xdotool search --name '^Quorvane$' >/dev/null 2>&1 && break
    sleep 0.1
done
if xdotool search --name '^Quorvane$' >/dev/null 2>&1; then
    sleep 3 # its first pass and the names
    # A spoofed gateway: its line is marked red within the watch's second.
    ip neigh replace 10.213.1.2 lladdr 02:66:00:00:00:01 dev h0
    sleep 2
    if [ -n "$build" ]; then
        eval "$(xdotool search --name '^Quorvane$' getwindowgeometry --shell | head -5)"
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$build/window.png"
    fi
    ip neigh replace 10.213.1.2 lladdr 00:00:0c:aa:bb:02 dev h0
else
    fail "quorvane-window.exe showed no window titled Quorvane"
fi
# Its output without the CR of Windows' line ends; its own exit status.
run() {
    status=0
    wine "$exe" "$@" >"$work/out" 2>"$work/err" || status=$?
    tr -d '\r' <"$work/out"
    return $status
}

table=$(run --list -n)
printf '%s\n' "$table" | grep -qx "$(printf '10.213.1.50\t10.213.1.50\t00:00:0C:12:34:56\tCisco Systems, Inc\tStatic')" ||
    fail "--list -n lacks the permanent entry with its vendor: $table"
run --list | grep -q "$(printf '^10.213.1.2\tpeer.quorvane.test\t00:00:0C:AA:BB:02\t')" ||
    fail "--list lacks the peer's name from the namespace's name server"
[ "$(run --vendor 00:00:0c:12:34:56)" = "Cisco Systems, Inc" ] || fail "--vendor"
run --vendor zz >/dev/null && fail "--vendor zz succeeded"
if run --arp 10.213.1.2 >/dev/null; then
    fail "--arp succeeded, though Wine's SendARP is a stub"
else
    grep -q "not supported on this system" "$work/err" || fail "--arp gave: $(cat "$work/err")"
fi

# The watch reads the table once a second: a changed MAC is seen, also of a
# host whose address ends in .255 on a /23.
ip addr add 10.214.0.1/23 dev h1
ip neigh add 10.214.0.255 lladdr 00:00:0c:00:02:55 nud permanent dev h1
wine "$exe" --watch >"$work/watch" 2>&1 &
watch=$!
sleep 3
ip neigh replace 10.213.1.50 lladdr 02:00:00:00:00:50 nud permanent dev h0
ip neigh replace 10.214.0.255 lladdr 02:00:00:00:02:55 nud permanent dev h1
for _ in $(seq 50); do
    grep -q "$(printf '\tchanged\t10.214.0.255\t02:00:00:00:02:55\t')" "$work/watch" && break
    sleep 0.2
done
kill "$watch" 2>/dev/null || true
ip neigh replace 10.213.1.50 lladdr 00:00:0c:12:34:56 nud permanent dev h0
ip addr del 10.214.0.1/23 dev h1
for ip in 10.213.1.50 10.214.0.255; do
    grep -q "$(printf '\tchanged\t%s\t02:00:00:00:' "$ip")" "$work/watch" ||
        fail "--watch did not tell of $ip's change: $(cat "$work/watch")"
done

[ "$failures" -eq 0 ] || exit 1
echo "windows-e2e: all checks passed"
