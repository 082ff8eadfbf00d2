#!/bin/bash
# Measures how the window keeps up with the router (not a test): the longest wait of the
# window's event loop over 30 seconds with the router silent and every monitor at one second,
# and the time from "&Update" on the ADSL page to its last label painted against the bare
# requests. Runs offscreen inside a private network namespace with only the loopback interface.
#   VANTREL_BUILD=<dir>  build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VANTREL_BUILD:-build}
cmake --build "$build" -j"$(nproc)" --target measure_window >/dev/null
isolate=(unshare -n)
[ "$(id -u)" -eq 0 ] || isolate=(unshare -rn)
"${isolate[@]}" sh -c "ip link set lo up && QT_QPA_PLATFORM=offscreen '$build/tests/bench/measure_window' ${1:-30}"
