#!/usr/bin/env bash
# Runs Vantrel against the simulated router on this computer's loopback address, with a settings
# folder of its own: the user's settings and the router's default address are never touched.
# Needs a graphical session. VANTREL_DEMO_PORT picks the simulated router's UDP port (default:
# any free one).
#   demo.sh [--keep] [vantrel options]
# Each run starts with fresh settings and an empty line history; with --keep they are kept in
# build-demo/home from one run to the next (still pointed at the simulated router).
set -euo pipefail
cd "$(dirname "$0")/.."

keep=
if [ "${1:-}" = "--keep" ]; then
    keep=1
    shift
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display: run this in a desktop session (or under xvfb-run)" >&2
    exit 1
fi

bash scripts/setup.sh --program
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF \
    -DVANTREL_BENCH=OFF >/dev/null
cmake --build build-demo -j"$(nproc)" --target vantrel vantrel-routersim

if [ -n "$keep" ]; then
    demo_home=$PWD/build-demo/home
    mkdir -p "$demo_home"
else
    demo_home=$(mktemp -d -t vantrel-demo.XXXXXX)
fi
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    [ -n "$keep" ] || rm -rf "$demo_home"
}
trap cleanup EXIT

# The simulated router names the port it got on its first line.
./build-demo/tools/routersim/vantrel-routersim --port "${VANTREL_DEMO_PORT:-0}" \
    --community vormel >"$demo_home/routersim.out" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 50); do
    port=$(sed -n 's/.* on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$demo_home/routersim.out" | sed -n 1p)
    [ -n "$port" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "demo: the simulated router did not start:" >&2
        cat "$demo_home/routersim.out" >&2
        exit 1
    fi
    sleep 0.1
done
[ -n "$port" ] || {
    echo "demo: the simulated router did not say its port" >&2
    exit 1
}
echo "demo: the simulated router answers on 127.0.0.1:$port; kill -USR1 $sim_pid restarts it"

if [ -n "$keep" ] && [ -f "$demo_home/vantrel.ini" ]; then
    # Kept settings: whatever address the last run ended with, this run's simulated router is
    # the one asked (its port changes from run to run).
    awk -v ip="127.0.0.1:$port" '
        /^\[/ {
            system_section = tolower($0) ~ /^\[system info settings\]/
            print
            if (system_section) {
                found = 1
                print "IP=" ip
                print "Community=vormel"
            }
            next
        }
        system_section && tolower($0) ~ /^[ \t]*(ip|community)[ \t]*=/ { next }
        { print }
        END { if (!found) print "[System Info Settings]\nIP=" ip "\nCommunity=vormel" }
    ' "$demo_home/vantrel.ini" >"$demo_home/vantrel.ini.new"
    mv "$demo_home/vantrel.ini.new" "$demo_home/vantrel.ini"
else
    cat >"$demo_home/vantrel.ini" <<INI
[System Info Settings]
IP=127.0.0.1:$port
Community=vormel
[Options]
Link logging=1
Link check=5
Router status=1
Status update=1
Prompt on close=Enabled
Minimise on startup=Disabled
INI
fi
chmod 700 "$demo_home"

echo "Vantrel demo: settings in $demo_home/vantrel.ini, router simulated on 127.0.0.1:$port"
[ -n "$keep" ] || echo "(fresh settings and line history; they go when the demo ends: --keep keeps them)"
XDG_CONFIG_HOME="$demo_home" XDG_RUNTIME_DIR="$demo_home" XDG_STATE_HOME="$demo_home/state" \
    XDG_DATA_HOME="$demo_home/data" \
    ./build-demo/src/vantrel "$@"
