#!/bin/bash
# Fault scenarios against the real program, end to end, as an adversarial user would try them:
# a full disk when the settings are saved, a settings file that cannot be read, a signal while
# a box is open, agents that misbehave on purpose, and the exact captions of the boxes on a real
# X server. Runs as root (CI does) inside its own network and mount namespaces: loopback only,
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
    cmake --build "$build" -j"$(nproc)" --target vantrel vantrel-hostile-agent >/dev/null
    exec unshare -n -m bash -c "ip link set lo up && VANTREL_FAULTS_INSIDE=1 bash '$0'"
fi

program=$build/src/vantrel
hostile=$build/tools/hostile/vantrel-hostile-agent
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
# Sends SIGTERM to $1 and waits at most $2 seconds; leaves the exit status in $status.
terminate() {
    kill -TERM "$1"
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

[ $failures -eq 0 ] || {
    echo "faults: $failures scenario(s) failed" >&2
    exit 1
}
echo "faults: every scenario passed"
