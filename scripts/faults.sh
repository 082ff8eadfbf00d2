#!/bin/bash
# Fault scenarios against the real program, end to end, as an adversarial user would try them:
# a full disk when the settings are saved, a settings file that cannot be read, a signal while
# a box is open, Ctrl+C with an unsaved connection log, agents that misbehave on purpose, and on
# a real X server the exact captions of the boxes, Cancel in the save dialog at close, and a
# router reply holding a link; the quota account across closes of the program. Runs as root (CI does) inside its own network and mount namespaces: loopback only,
# and a tiny tmpfs for the full disk. Needs a build (scripts/test.sh makes one).
#   VANTREL_BUILD=<dir>  build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${VANTREL_BUILD:-build}")

if [ "${VANTREL_FAULTS_INSIDE:-}" != 1 ]; then
    [ "$(id -u)" -eq 0 ] || {
        echo "faults: run as root (the scenarios mount a tmpfs and drop capabilities)" >&2
        exit 1
    }
    cmake --build "$build" -j"$(nproc)" --target vantrel vantrel-hostile-agent vantrel-routersim \
        >/dev/null
    exec unshare -n -m bash -c "ip link set lo up && VANTREL_FAULTS_INSIDE=1 bash '$0'"
fi

program=$build/src/vantrel
hostile=$build/tools/hostile/vantrel-hostile-agent
routersim=$build/tools/routersim/vantrel-routersim
work=$(mktemp -d -t vantrel-faults.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    umount "$work"/*/config 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
pass() { echo "faults: ok   $1"; }
fail() {
    echo "faults: FAIL $1" >&2
    failures=$((failures + 1))
}

# A home of its own for one run: settings, runtime and state folders.
home() {
    local h=$work/$1
    mkdir -p "$h/config" "$h/runtime" "$h/state"
    chmod 700 "$h/runtime"
    echo "$h"
}
settings() { # home, router port, more lines
    printf '[System Info Settings]\nIP=127.0.0.1:%s\nCommunity=vormel\n[Options]\nPrompt on close=Enabled\n%b' \
        "$2" "${3:-}" >"$1/config/vantrel.ini"
}
closed_port() { # in this network namespace nothing else listens
    echo 9
}
# Starts the program in home $1 (more environment after it), leaves its PID in $started.
start() {
    local h=$1
    shift
    env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$h/config" XDG_RUNTIME_DIR="$h/runtime" \
        XDG_STATE_HOME="$h/state" "$@" "$program" >"$h/out" 2>"$h/err" &
    started=$!
    pids+=("$started")
}
# Starts the simulated router (more options after the home), leaves its port in $port.
simulate() {
    local h=$1
    shift
    "$routersim" --port 0 "$@" >"$h/sim" 2>&1 &
    pids+=("$!")
    for _ in $(seq 20); do
        port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$h/sim" | head -n1)
        [ -n "$port" ] && return
        sleep 0.1
    done
}
# Sends SIGTERM (or the signal $3) to $1 and waits at most $2 seconds; leaves the exit status in
# $status.
terminate() {
    kill -"${3:-TERM}" "$1"
    local waited=0
    while kill -0 "$1" 2>/dev/null && [ $waited -lt $(($2 * 10)) ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    if kill -0 "$1" 2>/dev/null; then
        kill -KILL "$1"
        status=timeout
        return
    fi
    wait "$1" && status=0 || status=$?
}

# 1. The disk is full when the settings are saved: the save fails, the old file stays whole,
#    the failure is said on standard error and in the exit status.
h=$(home fulldisk)
mount -t tmpfs -o size=16k tmpfs "$h/config"
settings "$h" "$(closed_port)"
cp "$h/config/vantrel.ini" "$h/before.ini"
dd if=/dev/zero of="$h/config/filler" bs=1k count=64 2>/dev/null || true
start "$h"
sleep 1.5
terminate "$started" 3
if [ "$status" = 1 ] && cmp -s "$h/before.ini" "$h/config/vantrel.ini" &&
    grep -q "Unable to write to" "$h/err"; then
    pass "full disk: save refused, old file whole, exit status 1"
else
    fail "full disk: status $status; $(head -c 300 "$h/err")"
fi

# 2. A settings file that exists but cannot be read: said at start-up, never written over.
h=$(home unreadable)
settings "$h" "$(closed_port)" '[Quota]\nGBQuota=25\n[Mine]\nKeep=1\n'
cp "$h/config/vantrel.ini" "$h/before.ini"
chmod 0200 "$h/config/vantrel.ini"
start "$h" setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-dac_override,-dac_read_search
sleep 1.5
terminate "$started" 3
chmod 0600 "$h/config/vantrel.ini"
if [ "$status" = 0 ] && cmp -s "$h/before.ini" "$h/config/vantrel.ini"; then
    pass "unreadable settings: left as they were"
else
    fail "unreadable settings: status $status; $(diff "$h/before.ini" "$h/config/vantrel.ini" | head -5)"
fi

# 3. A signal while the start-up error box is open: the settings are saved and the program
#    ends, the keys the load never reached keep their text.
h=$(home box)
settings "$h" "$(closed_port)" '[Quota]\nReset day=x\n'
start "$h"
sleep 1.5
terminate "$started" 3
if [ "$status" = 0 ] && grep -q '^Name=Vantrel' "$h/config/vantrel.ini" &&
    grep -q '^Reset day=x' "$h/config/vantrel.ini"; then
    pass "signal with a box open: saved and ended"
else
    fail "signal with a box open: status $status"
fi

# 3b. Ctrl+C while the connection log holds lines nobody saved: the log is kept as at a
#     shutdown, the settings are saved, and the program ends normally.
h=$(home interrupt)
simulate "$h" --drop-every 3 --drop-length 2
settings "$h" "$port" 'Link logging=1\nLink check=1\n'
start "$h"
sleep 5
terminate "$started" 3 INT
if [ "$status" = 0 ] && grep -q '^Name=Vantrel' "$h/config/vantrel.ini" &&
    grep -qs '^Disconnected: ' "$h"/state/vantrel/connection-log-*.log; then
    pass "Ctrl+C: log and settings saved, exit status 0"
else
    fail "Ctrl+C: status $status; $(ls "$h/state/vantrel" 2>&1 | head -3)"
fi

# 4. and 5. Agents that misbehave: a walk that never leaves its subtree, and answers that are
#    no answers. The program stays small, and a signal still ends it at once.
for mode in endless junk; do
    h=$(home "$mode")
    "$hostile" --mode "$mode" --port 0 >"$h/agent" &
    pids+=("$!")
    sleep 0.3
    port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$h/agent")
    settings "$h" "$port"
    start "$h"
    sleep 12
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$started/status" 2>/dev/null || echo 0)
    terminate "$started" 3
    if [ "$status" = 0 ] && [ "${rss:-0}" -lt 160000 ]; then
        pass "$mode agent: ${rss} kB resident, ended on the signal"
    else
        fail "$mode agent: status $status, ${rss} kB resident"
    fi
done

# 6. The boxes' captions on a real X server with a window manager: exactly "Confirm", never
#    with the program's name appended.
if command -v xvfb-run >/dev/null && command -v openbox >/dev/null && command -v xdotool >/dev/null; then
    h=$(home captions)
    settings "$h" "$(closed_port)"
    titles=$(xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
        openbox >/dev/null 2>&1 &
        sleep 1
        XDG_CONFIG_HOME='$h/config' XDG_RUNTIME_DIR='$h/runtime' XDG_STATE_HOME='$h/state' '$program' >/dev/null 2>&1 &
        pid=\$!
        for i in \$(seq 50); do xdotool search --name '^Vantrel\$' >/dev/null 2>&1 && break; sleep 0.2; done
        xdotool windowactivate --sync \"\$(xdotool search --name '^Vantrel\$' | head -n1)\" 2>/dev/null
        xdotool key alt+F4
        sleep 1.5
        for w in \$(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname \$w; done
        kill -TERM \$pid; wait \$pid 2>/dev/null || true")
    if grep -qx 'Confirm' <<<"$titles" && ! grep -q 'Confirm.*Vantrel' <<<"$titles"; then
        pass "captions: the close question is captioned Confirm"
    else
        fail "captions: windows were: $(tr '\n' '|' <<<"$titles")"
    fi
else
    fail "captions: xvfb-run, openbox and xdotool are needed"
fi

# 7. Cancel in the save dialog that "Save connection log?" opens at close: the program stays,
#    its log with it (a later SIGTERM still keeps the log).
if command -v xvfb-run >/dev/null && command -v openbox >/dev/null && command -v xdotool >/dev/null; then
    h=$(home cancel)
    simulate "$h" --drop-every 3 --drop-length 2
    settings "$h" "$port" 'Link logging=1\nLink check=1\n'
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
        openbox >/dev/null 2>&1 &
        XDG_CONFIG_HOME='$h/config' XDG_RUNTIME_DIR='$h/runtime' XDG_STATE_HOME='$h/state' '$program' >/dev/null 2>&1 &
        pid=\$!
        raise() { # waits for a window named \$1 and brings it forward
            for i in \$(seq 50); do
                w=\$(xdotool search --onlyvisible --name \"\$1\" 2>/dev/null | tail -n1)
                [ -n \"\$w\" ] && { xdotool windowactivate --sync \"\$w\" 2>/dev/null; return 0; }
                sleep 0.2
            done
            return 1
        }
        raise '^Vantrel\$'
        sleep 5
        xdotool key alt+F4
        raise '^Confirm\$' && xdotool key alt+y # Close Vantrel?
        sleep 0.5
        raise '^Confirm\$' && xdotool key alt+y # Save connection log?
        raise '^Save As\$' && xdotool key Escape
        sleep 1.5
        if kill -0 \$pid 2>/dev/null && xdotool search --onlyvisible --name '^Vantrel\$' >/dev/null; then
            echo stayed >'$h/after'
        fi
        kill -TERM \$pid 2>/dev/null; wait \$pid 2>/dev/null || true"
    if [ -s "$h/after" ] && grep -qs '^Disconnected: ' "$h"/state/vantrel/connection-log-*.log; then
        pass "save dialog cancelled at close: the window stays, the log is kept"
    else
        fail "save dialog cancelled at close: $(cat "$h/after" 2>/dev/null || echo the program closed)"
    fi
else
    fail "cancel at close: xvfb-run, openbox and xdotool are needed"
fi

# 8. A router reply holding a link ends up in an error box: the box shows the characters (the
#    text selected there is the markup itself) and clicks all over it run no program.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v xclip >/dev/null; then
    h=$(home richtext)
    mkdir -p "$h/bin"
    printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$h" >"$h/bin/xdg-open"
    chmod +x "$h/bin/xdg-open"
    link='<a href="file:///etc/passwd">Click here to repair your router</a>'
    sed "s#^1\.3\.6\.1\.2\.1\.2\.1\.0|2|.*#1.3.6.1.2.1.2.1.0|4|$link#" resources/demo/router.snmprec \
        >"$h/router.snmprec"
    simulate "$h" --drop-every 0 --profile "$h/router.snmprec"
    settings "$h" "$port"
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
        openbox >/dev/null 2>&1 &
        sleep 1 # the window manager first, so the box is placed and framed as on a desktop
        PATH='$h/bin':\$PATH XDG_CONFIG_HOME='$h/config' XDG_RUNTIME_DIR='$h/runtime' XDG_STATE_HOME='$h/state' '$program' >/dev/null 2>&1 &
        pid=\$!
        for i in \$(seq 150); do
            [ \$(xdotool search --onlyvisible --name '^Vantrel\$' 2>/dev/null | wc -l) -ge 2 ] && break
            sleep 0.2
        done
        sleep 1
        # The error box is the smaller of the two windows named Vantrel.
        box= area=
        for w in \$(xdotool search --onlyvisible --name '^Vantrel\$' 2>/dev/null); do
            eval \$(xdotool getwindowgeometry --shell \$w)
            if [ -z \"\$area\" ] || [ \$((WIDTH * HEIGHT)) -lt \$area ]; then
                box=\$w area=\$((WIDTH * HEIGHT))
            fi
        done
        eval \$(xdotool getwindowgeometry --shell \$box)
        for y in \$(seq 10 8 \$((HEIGHT - 50))); do
            for x in \$(seq 60 12 \$((WIDTH - 10))); do
                xdotool mousemove --window \$box \$x \$y click 1
            done
        done
        xdotool mousemove --window \$box 100 20 click --repeat 3 --delay 80 1
        sleep 0.5
        xclip -o -selection primary >'$h/selected' 2>/dev/null
        kill -TERM \$pid 2>/dev/null; wait \$pid 2>/dev/null || true"
    if grep -qF "'$link' is not a valid integer value." "$h/selected" && [ ! -e "$h/opened" ]; then
        pass "a link in a router reply: shown as text, a click opens nothing"
    else
        fail "a link in a router reply: selected '$(head -c 200 "$h/selected")', opened '$(cat "$h/opened" 2>/dev/null)'"
    fi
else
    fail "rich text: xvfb-run, xdotool and xclip are needed"
fi

# 9. The quota account across closes, against a router that runs on (its uptime carries on
#    from one run to the next) on a 100 Mbit/s WAN interface that carries no traffic of its own:
#    what its counter grew while the program was closed is added at the next start; a counter
#    that went back meanwhile adds nothing (not the ~4 GiB of a wrap the line could not carry).
h=$(home quota)
settings "$h" 0 '[Quota]\nGBQuota=10\nMBUsed=100\n'
quota_t0=$(date +%s%N)
quota_run() { # WAN in-octets; leaves "MBUsed|Last in octets" of the saved settings in $quota
    local ticks=$((263412345 + ($(date +%s%N) - quota_t0) / 10000000))
    sed -e "s/^1\.3\.6\.1\.2\.1\.2\.2\.1\.10\.4|65|.*/1.3.6.1.2.1.2.2.1.10.4|65|$1/" \
        -e "s/^1\.3\.6\.1\.2\.1\.2\.2\.1\.5\.4|66|.*/1.3.6.1.2.1.2.2.1.5.4|66|100000000/" \
        -e "s/^1\.3\.6\.1\.2\.1\.1\.3\.0|67|.*/1.3.6.1.2.1.1.3.0|67|$ticks/" \
        resources/demo/router.snmprec >"$h/router.snmprec"
    simulate "$h" --drop-every 0 --traffic-if 1 --profile "$h/router.snmprec"
    local sim=${pids[-1]}
    sed -i "s/^IP=.*/IP=127.0.0.1:$port/" "$h/config/vantrel.ini"
    start "$h"
    sleep 4
    terminate "$started" 3
    kill "$sim" 2>/dev/null || true
    quota="$(sed -n 's/^MBUsed=//p' "$h/config/vantrel.ini")|$(sed -n 's/^Last in octets=//p' "$h/config/vantrel.ini")"
}
quota_run 1001000000
first=$quota
quota_run $((1001000000 + 104857600))
second=$quota
quota_run 998000000
third=$quota
if [ "$first" = "100.0000|Counter32 1001000000" ] && [ "${second%%|*}" = 200.0000 ] &&
    [ "${third%%|*}" = 200.0000 ]; then
    pass "quota across closes: traffic while closed added, a counter gone back adds nothing"
else
    fail "quota across closes: MBUsed and counter after each run: $first / $second / $third"
fi

[ $failures -eq 0 ] || {
    echo "faults: $failures scenario(s) failed" >&2
    exit 1
}
echo "faults: every scenario passed"
