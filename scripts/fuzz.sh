#!/bin/bash
# Runs the libFuzzer targets of the test build (clang-14, AddressSanitizer and
# UndefinedBehaviorSanitizer on; scripts/common.sh) for 60 seconds each from its seed corpus in
# tests/fuzz/corpus/<target>, two targets at a time: the long runs, for when a parser changes.
# (The test suite replays every corpus input; CI does not fuzz.) Exits non-zero when a target
# finds an input that crashes it or breaks the property it checks; the input is then in the
# artifacts folder; add it to the target's corpus.
#   VANTREL_TEST_BUILD    build folder (default build-test)
#   VANTREL_FUZZ_SECONDS  run time of each target (default 60)
#   VANTREL_FUZZ_TARGETS  the targets to run (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build=$test_build
seconds=${VANTREL_FUZZ_SECONDS:-60}
read -r -a targets <<<"${VANTREL_FUZZ_TARGETS:-fuzz_reply fuzz_reply_v3 fuzz_walk fuzz_inifile fuzz_snmprec fuzz_fileversion fuzz_quota}"

configure_test_build
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

# Each run grows a corpus of its own inside the build folder, starting from the seeds.
run() {
    local target=$1 work=$build/fuzz/$1
    mkdir -p "$work/corpus" "$work/artifacts"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" \
        "$work/corpus" "tests/fuzz/corpus/$target" >"$work/log" 2>&1
}

failed=()
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    batch=("${targets[@]:i:2}")
    for target in "${batch[@]}"; do
        run "$target" &
        pids+=($!)
    done
    for k in "${!batch[@]}"; do
        target=${batch[$k]}
        if wait "${pids[$k]}"; then
            echo "fuzz: $target: $(grep -E '^stat::number_of_executed_units' \
                "$build/fuzz/$target/log" | awk '{print $2}') runs, $(grep -oE 'cov: [0-9]+' \
                "$build/fuzz/$target/log" | tail -1), no failure"
        else
            echo "fuzz: $target FAILED; its log:" >&2
            tail -n 60 "$build/fuzz/$target/log" >&2
            failed+=("$target")
        fi
    done
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (inputs in $build/fuzz/<target>/artifacts)" >&2
    exit 1
fi
echo "fuzz: every one of the ${#targets[@]} targets kept its property"
