#!/usr/bin/env bash
# Runs Vantrel against the simulated router on this computer's loopback address, with a settings
# folder of its own: the user's settings and the router's default address are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_GUI=ON >/dev/null
cmake --build build -j"$(nproc)" --target vantrel vantrel-routersim

port=${VANTREL_DEMO_PORT:-16161}
demo_home=$(mktemp -d -t vantrel-demo.XXXXXX)
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

./build/tools/routersim/vantrel-routersim --port "$port" --community vormel &
sim_pid=$!
cleanup() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    rm -rf "$demo_home"
}
trap cleanup EXIT
sleep 0.5

echo "Vantrel demo: settings in $demo_home/vantrel.ini, router simulated on 127.0.0.1:$port"
XDG_CONFIG_HOME="$demo_home" XDG_RUNTIME_DIR="$demo_home" ./build/src/vantrel "$@"
