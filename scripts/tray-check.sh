#!/bin/bash
# The tray as a user meets it: Vantrel on a virtual X display with a small window manager
# (openbox) and a notification area (trayer), pointed at the simulated router on a loopback
# port. It minimises the window, watches the lights as the quota passes 65 % and 85 % and as the
# simulated router drops its WAN link, clicks the icon to bring the window back, and leaves
# through "Exit" in the icon's menu. Screenshots go to the folder given (default
# build/tray-check); the script fails when a step does not happen.
#
# Needs: xvfb openbox trayer xdotool x11-utils imagemagick, and a build with the targets
# vantrel and vantrel-routersim. As root it runs itself without any network but loopback.
#
#   scripts/tray-check.sh [build folder] [output folder]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=${2:-$build/tray-check}

if [ "$(id -u)" -eq 0 ] && [ -z "${VANTREL_TRAY_CHECK_NS:-}" ]; then
    exec env VANTREL_TRAY_CHECK_NS=1 unshare -n bash -c \
        'ip link set lo up && exec "$0" "$@"' "$0" "$build" "$out"
fi

for tool in Xvfb openbox trayer xdotool xwininfo xprop convert import; do
    command -v "$tool" >/dev/null || { echo "tray-check: $tool is missing" >&2; exit 2; }
done
program=$build/src/vantrel
routersim=$build/tools/routersim/vantrel-routersim
[ -x "$program" ] && [ -x "$routersim" ] || {
    echo "tray-check: build the targets vantrel and vantrel-routersim first" >&2
    exit 2
}

mkdir -p "$out"
rm -f "$out"/*.png
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A free loopback port for the simulated router.
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The link drops within the first 40 s and stays down for 15 s.
"$routersim" --port "$port" --drop-every 40 --drop-length 15 >"$work/routersim.log" 2>&1 &
pids+=($!)

# A settings file that names only the simulated router: an allowance of 10 MB of which 5 MB
# are used, so the quota passes 65 % and 85 % within half a minute at the router's 200 kB/s.
mkdir -p "$work/config"
cat >"$work/config/vantrel.ini" <<EOF
[System Info Settings]
IP=127.0.0.1:$port
Community=vormel
[Options]
Prompt on close=Disabled
Minimise on startup=Disabled
Hide in task bar=Yes
[Quota]
GBQuota=0.009765625
MBUsed=5
EOF

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    --transparent false --tint 0x404040 >"$work/trayer.log" 2>&1 &
trayer=$!
pids+=($trayer)
sleep 2

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
# Sets window to the program's window once it is on screen.
waitForWindow() {
    window=
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1 || true)
        [ -n "$window" ] && return
        sleep 0.1
    done
    echo "tray-check: the window did not appear" >&2
    exit 1
}
"$program" -platform xcb >"$work/vantrel.log" 2>&1 &
vantrel=$!
pids+=($vantrel)

waitForWindow
sleep 2
import -window root "$out/1-window.png"
# "Hide in task bar=Yes": no task bar button while the window is on screen.
xprop -id "$window" _NET_WM_STATE | grep _NET_WM_STATE_SKIP_TASKBAR >/dev/null ||
    { echo "tray-check: the window kept its task bar button" >&2; exit 1; }
echo "tray-check: window on screen without a task bar button"

state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
tray() { # the bottom right corner, where trayer holds the icon
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop 96x32+704+568 +repage -scale 400% "$out/$1.png"
}

xdotool windowminimize "$window"
sleep 0.3
[ "$(state)" != IsViewable ] || { echo "tray-check: minimising left the window on screen" >&2; exit 1; }
tray 2-static-icon
echo "tray-check: minimised to the tray (window $(state))"
for i in $(seq 12); do
    sleep 4
    tray "3-lights-$(printf %02d "$i")"
done
import -window root "$out/4-desktop-in-tray.png"

# A click on the icon brings the window back.
xdotool mousemove 788 588 click 1
sleep 1
[ "$(state)" = IsViewable ] || { echo "tray-check: the click did not restore the window" >&2; exit 1; }
import -window root "$out/5-restored.png"
echo "tray-check: restored by a click on the icon"

# Back to the tray, then "Exit" from the icon's menu (the last item).
xdotool windowminimize "$window"
sleep 1
xdotool mousemove 788 588 click 3
sleep 1
import -window root "$out/6-menu.png"
xdotool key Up Return
for _ in $(seq 50); do kill -0 "$vantrel" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$vantrel" 2>/dev/null; then
    echo "tray-check: Exit did not end the program" >&2
    exit 1
fi
wait "$vantrel" || { echo "tray-check: the program ended with an error" >&2; exit 1; }
grep -q '^MBUsed=' "$work/config/vantrel.ini" || { echo "tray-check: no settings saved" >&2; exit 1; }
echo "tray-check: ended through Exit; MBUsed is now $(sed -n 's/^MBUsed=//p' "$work/config/vantrel.ini") MB"

# Starting minimised: the window never shows until the icon is clicked.
sed -i 's/^Minimise on startup=.*/Minimise on startup=Enabled/' "$work/config/vantrel.ini"
"$program" -platform xcb >>"$work/vantrel.log" 2>&1 &
vantrel=$!
pids+=($vantrel)
sleep 3
window=$(xdotool search --name '^Vantrel$' 2>/dev/null | head -1 || true)
if [ -n "$window" ] && [ "$(state)" = IsViewable ]; then
    echo "tray-check: a window that starts in the tray was shown" >&2
    exit 1
fi
tray 7-started-in-tray
xdotool mousemove 788 588 click 1
sleep 1
window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1 || true)
[ -n "$window" ] || { echo "tray-check: the click did not show the window" >&2; exit 1; }
echo "tray-check: started in the tray, shown by a click"
kill "$vantrel"
wait "$vantrel" || true

# Without a notification area minimising is an ordinary minimise: iconic, not withdrawn.
kill "$trayer"
sleep 1
sed -i 's/^Minimise on startup=.*/Minimise on startup=Disabled/' "$work/config/vantrel.ini"
"$program" -platform xcb >>"$work/vantrel.log" 2>&1 &
vantrel=$!
pids+=($vantrel)
waitForWindow
xprop -id "$window" _NET_WM_STATE | grep _NET_WM_STATE_SKIP_TASKBAR >/dev/null &&
    { echo "tray-check: without a tray the window has no task bar button" >&2; exit 1; }
sleep 1
xdotool windowminimize "$window"
sleep 1
xprop -id "$window" WM_STATE | grep 'window state: Iconic' >/dev/null ||
    { echo "tray-check: without a tray the window was not simply minimised" >&2; exit 1; }
echo "tray-check: without a tray, minimised to the task bar"
kill "$vantrel"
wait "$vantrel" || true
echo "tray-check: screenshots in $out"
