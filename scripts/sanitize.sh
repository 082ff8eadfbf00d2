#!/bin/bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in a build folder of its
# own and runs the whole test suite there, inside a private network namespace with only the
# loopback interface. Any finding fails the run.
#   VANTREL_SANITIZE_BUILD=<dir>  build folder (default build-sanitize)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
build=${VANTREL_SANITIZE_BUILD:-build-sanitize}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
    -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF -DVANTREL_REQUIRE_SNMPD=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

isolate=(unshare -n)
[ "$(id -u)" -eq 0 ] || isolate=(unshare -rn)
cd "$build"
# Leaks of the window system's libraries are not ours; everything else stops the test.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"${isolate[@]}" sh -c 'ip link set lo up && ctest --output-on-failure --timeout 600'
