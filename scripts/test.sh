#!/bin/bash
# Installs what is missing, builds Vantrel with warnings as errors and runs every test inside a
# private network namespace that has only the loopback interface, so no test can send a packet
# anywhere but 127.0.0.0/8.
#   VANTREL_BUILD=<dir>  build folder (default build)
#   VANTREL_GUI=OFF      leave out the window and its tests (the SNMP library and its tests stay)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

build=${VANTREL_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
    -DVANTREL_GUI="${VANTREL_GUI:-ON}" -DVANTREL_REQUIRE_SNMPD=ON
cmake --build "$build" -j"$(nproc)"

# Root gets a plain network namespace; anyone else a user namespace that maps them to root.
isolate=(unshare -n)
[ "$(id -u)" -eq 0 ] || isolate=(unshare -rn)
cd "$build"
"${isolate[@]}" sh -c 'ip link set lo up && ctest --output-on-failure'
