#!/bin/bash
# Builds the reply decoder's libFuzzer target with clang-14 (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in its own build folder and runs it for 60 seconds from a seed
# corpus of well-formed replies. Exits non-zero when the fuzzer finds a crash.
#   VANTREL_FUZZ_BUILD    build folder (default build-fuzz)
#   VANTREL_FUZZ_SECONDS  run time (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VANTREL_FUZZ_BUILD:-build-fuzz}
seconds=${VANTREL_FUZZ_SECONDS:-60}

CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DVANTREL_BENCH=OFF -DVANTREL_WERROR=ON
cmake --build "$build" --target fuzz_reply -j"$(nproc)"

# BER item from a tag and its content, both in hexadecimal.
tlv() {
    local tag=$1 content=$2
    local n=$((${#content} / 2))
    if ((n < 128)); then
        printf '%s%02x%s' "$tag" "$n" "$content"
    elif ((n < 256)); then
        printf '%s81%02x%s' "$tag" "$n" "$content"
    else
        printf '%s82%04x%s' "$tag" "$n" "$content"
    fi
}
text() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
binding() { tlv 30 "$(tlv 06 "$1")$2"; }
# GetResponse: request id, error status and the bindings, community "vormel".
reply() {
    tlv 30 "$(tlv 02 00)$(tlv 04 "$(text vormel)")$(tlv a2 "$(tlv 02 "$1")$(tlv 02 "$2")$(tlv 02 00)$(tlv 30 "$3")")"
}
seed() { printf "$(sed 's/../\\x&/g' <<<"$2")" >"$seeds/$1"; }

seeds=$build/fuzz-seeds
corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts"
uptime=2b06010201010300
seed uptime "$(reply 01 00 "$(binding $uptime "$(tlv 43 00bc614e)")")"
seed sysdescr "$(reply 01 00 "$(binding 2b06010201010100 "$(tlv 04 "$(text 'ADSL Router')")")")"
seed nosuchname "$(reply 01 02 "$(binding 2b06010201010900 0500)")"
seed counter "$(reply 02 00 "$(binding 2b060102010202010a04 "$(tlv 41 00b2d05e00)")")"
seed ipaddress "$(reply 03 00 "$(binding 2b06010201041401018140812801817d "$(tlv 40 c0a801fd)")")"
seed objectid "$(reply 04 00 "$(binding 2b06010201010200 "$(tlv 06 2b06010401857b01)")")"
seed hwaddress "$(reply 05 00 "$(binding 2b060102010202010602 "$(tlv 04 000e501a2b3c)")")"
seed requestid7 "$(reply 07 00 "$(binding $uptime "$(tlv 02 ff)")")"
seed longstring "$(reply 01 00 "$(binding 2b06010201010100 "$(tlv 04 "$(text "$(printf 'x%.0s' {1..300})")")")")"
seed twobindings "$(reply 7fffffff 00 "$(binding $uptime "$(tlv 43 00)")$(binding 2b06010201010500 "$(tlv 04 "$(text 'say "hi"')")")")"

"$build/tests/fuzz/fuzz_reply" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$seeds"
