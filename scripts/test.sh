#!/bin/bash
# Installs what is missing, builds Vantrel and every test with clang-14 under AddressSanitizer and
# UndefinedBehaviorSanitizer with warnings as errors (the test build of scripts/common.sh), and
# runs the whole suite in parallel inside a private network namespace that has only the loopback
# interface, so no test can send a packet anywhere but 127.0.0.0/8. Any sanitizer finding fails
# its test. The suite includes every input of the fuzz corpora (label fuzz). CI runs this.
#   VANTREL_TEST_BUILD=<dir>  build folder (default build-test)
#   VANTREL_GUI=OFF           leave out the window and its tests (the SNMP library and its tests stay)
#   VANTREL_TEST_JOBS=<n>     tests run at once (default: four per processor; most of them wait)
#   further arguments go to ctest, for example -L unit or -R tst_quota
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh
configure_test_build -DVANTREL_GUI="${VANTREL_GUI:-ON}"
cmake --build "$test_build" -j"$(nproc)"

# Leaks of the window system's libraries are not ours; everything else stops the test. (The fuzz
# targets count leaks: their tests set their own options.)
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
jobs=${VANTREL_TEST_JOBS:-$(($(nproc) * 4))}
cd "$test_build"
"${isolate[@]}" sh -c 'ip link set lo up && exec ctest --output-on-failure -j"$0" "$@"' "$jobs" "$@"
