#!/bin/bash
# Builds the program build of scripts/common.sh: optimised, warnings as errors, no tests. That is
# the program, the simulated router, the misbehaving agent of the fault scenarios and the man
# pages: what scripts/package.sh and scripts/faults.sh use.
#   VANTREL_BUILD=<dir>  build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh --program
configure_program_build
cmake --build "$program_build" -j"$(nproc)"
