#!/bin/sh
# The built program on a real X server with a window manager and a
# notification area, driven like a user would: show, minimise to the tray,
# restore from the icon, exit from the icon's menu.
#   desktop-e2e.sh QUORVANE OUTPUT_DIR
# Runs inside a test namespace (tests/netns/run-in-netns.sh) so the list it
# shows, and its reverse lookups, stay on this machine. Exit 77 means skipped.
set -u
bin=$1
out=$2
for tool in Xvfb openbox tint2 xdotool xwininfo xprop import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (xvfb openbox tint2 xdotool x11-utils imagemagick)"
        exit 77
    fi
done
if [ -z "${QV_NETNS:-}" ]; then
    echo "SKIP: no test namespace (${QV_NETNS_SKIP:-run through tests/netns/run-in-netns.sh})"
    exit 77
fi

rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d /tmp/qve2e.XXXXXX)
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    import -window root "$out/failure.png" 2>/dev/null
    exit 1
}
# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds or time runs out.
wait_for() {
    limit=$(( $1 * 10 ))
    shift
    i=0
    while [ $i -lt $limit ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}
shot() { import -window root "$out/$1.png" && echo "screenshot $out/$1.png"; }
map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/.*Map State: //p'; }
is_viewable() { [ "$(map_state "$1")" = IsViewable ]; }
is_unmapped() { [ "$(map_state "$1")" = IsUnMapped ]; }
# The docked icon: a 22x22 (or so) window of ours inside the panel's tree.
tray_icon() { xwininfo -root -tree | awk '/\("quorvane" "Quorvane"\)/ && $0 ~ /[0-9]+x[0-9]+\+0\+0/ {print $1; exit}'; }
has_icon() { [ -n "$(tray_icon)" ]; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids="$pids $!"
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids="$pids $!"
tint2 >"$work/tint2.log" 2>&1 &
pids="$pids $!"
wait_for 10 sh -c 'xdotool search --class tint2 | grep -q .' || fail "tint2 did not start"
# The panel must own the tray selection before the program looks for it.
wait_for 10 sh -c 'xprop -root | grep -q _NET_SUPPORTING_WM_CHECK' || fail "openbox did not start"
sleep 1

"$bin" >"$out/quorvane.log" 2>&1 &
app=$!
pids="$pids $app"

wait_for 20 sh -c "xdotool search --onlyvisible --name '^Quorvane\$' | grep -q ." || fail "the window did not appear"
win=$(xdotool search --onlyvisible --name '^Quorvane$' | head -1)
echo "window $win mapped"
sleep 1
shot 1-shown

hints=$(xprop -id "$win" WM_NORMAL_HINTS)
min=$(echo "$hints" | sed -n 's/.*minimum size: //p')
max=$(echo "$hints" | sed -n 's/.*maximum size: //p')
[ -n "$min" ] && [ "$min" != "$max" ] || fail "the window cannot be resized ($hints)"
eval "$(xdotool getwindowgeometry --shell "$win")"
opened_w=$WIDTH; opened_h=$HEIGHT
# Larger is taken; smaller stops at the minimum that keeps every control.
xdotool windowsize "$win" $((opened_w + 200)) $((opened_h + 150))
wait_for 10 sh -c "xdotool getwindowgeometry '$win' | grep -q 'Geometry: $((opened_w + 200))x$((opened_h + 150))'" ||
    fail "the window did not grow: $(xdotool getwindowgeometry "$win" | grep Geometry)"
shot 1-enlarged
xdotool windowsize "$win" 300 200
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -ge "${min%% by*}" ] || fail "the window went below its minimum: ${WIDTH}x$HEIGHT (minimum $min)"
xdotool windowsize "$win" "$opened_w" "$opened_h"
sleep 0.5
echo "resizable, minimum $min"

placed=$(xdotool getwindowgeometry "$win" | grep Position)
xdotool windowminimize "$win"
wait_for 10 is_unmapped "$win" || fail "minimise did not hide the window"
wait_for 10 has_icon || fail "no icon in the notification area"
icon=$(tray_icon)
echo "window hidden, icon $icon docked"
shot 2-in-tray

xdotool mousemove --window "$icon" 8 8 click 1
wait_for 10 is_viewable "$win" || fail "clicking the icon did not bring the window back"
wait_for 10 sh -c '! xwininfo -root -tree | grep -q "(\"quorvane\" \"Quorvane\").*+0+0  +"' ||
    echo "note: icon window still listed after restore"
sleep 0.5
back=$(xdotool getwindowgeometry "$win" | grep Position)
[ "$placed" = "$back" ] || fail "the window came back elsewhere: $placed -> $back"
echo "window back where it was"
shot 3-restored

xdotool windowminimize "$win"
wait_for 10 is_unmapped "$win" || fail "the second minimise did not hide the window"
wait_for 10 has_icon || fail "no icon after the second minimise"
icon=$(tray_icon)
xdotool mousemove --window "$icon" 8 8 click 3
menu=""
find_menu() {
    menu=$(xwininfo -root -tree | awk -v win="$win" '/\("quorvane" "Quorvane"\)/ && $1 != win && $0 !~ /\+0\+0  \+/ {print $1; exit}')
    [ -n "$menu" ] && is_viewable "$menu"
}
wait_for 10 find_menu || fail "the icon's menu did not open"
shot 4-menu
eval "$(xdotool getwindowgeometry --shell "$menu")"
# Show window, a separator, About, Exit: click the last one.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 7 / 8)) click 1

status=""
i=0
while [ $i -lt 100 ]; do
    if ! kill -0 "$app" 2>/dev/null; then
        wait "$app"
        status=$?
        break
    fi
    sleep 0.1
    i=$((i + 1))
done
[ -n "$status" ] || fail "Exit did not end the program"
[ "$status" = 0 ] || fail "the program ended with status $status"
sleep 0.5
has_icon && fail "an icon was left behind"
shot 5-exited
echo "PASS: exit status 0, no icon left"
