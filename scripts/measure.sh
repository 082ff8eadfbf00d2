#!/bin/bash
# Measures how the window keeps up with the router (not a test, and not run by CI): the longest
# wait of the window's event loop over 30 seconds with the router silent and every monitor at one
# second, and the time from "&Update" on the ADSL page to its last label painted against the bare
# requests. Runs offscreen inside a private network namespace with only the loopback interface,
# in the optimised benchmark build of scripts/common.sh. Fails when the event loop ever waited
# 100 ms or more: the window must never wait for the network.
#   VANTREL_BENCH_BUILD=<dir>  build folder (default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

configure_bench_build
cmake --build "$bench_build" -j"$(nproc)" --target measure_window >/dev/null
out=$("${isolate[@]}" sh -c "ip link set lo up && QT_QPA_PLATFORM=offscreen '$bench_build/tests/bench/measure_window' ${1:-30}")
echo "$out"
gap=$(sed -n 's/.*longest gap \([0-9.]*\) ms.*/\1/p' <<<"$out")
[ -n "$gap" ] || {
    echo "measure: no longest gap in the output" >&2
    exit 1
}
if awk -v g="$gap" 'BEGIN {exit !(g >= 100)}'; then
    echo "measure: the window waited $gap ms, 100 ms or more" >&2
    exit 1
fi
echo "measure: the window never waited 100 ms (longest $gap ms)"
