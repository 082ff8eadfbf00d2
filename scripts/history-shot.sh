#!/usr/bin/env bash
# Shows the history window under Xvfb on a made-up month of samples (or as many days as asked)
# and saves a picture of it and its one-page report:
#   scripts/history-shot.sh [folder] [days] [range]     range: 24h, 7d, 31d (default) or 1y
# The window is the program's own, pointed at a loopback agent and at a history file in a
# temporary folder: the user's settings and history are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-history-shots}
days=${2:-31}
range=${3:-31d}

bash scripts/setup.sh
source scripts/common.sh
build=$bench_build
configure_bench_build -DVANTREL_GUI=ON
cmake --build "$build" -j"$(nproc)" --target vantrel-historyshot

mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
home=$(mktemp -d -t vantrel-history.XXXXXX)
trap 'rm -rf "$home"' EXIT
XDG_CONFIG_HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" \
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "./$build/tests/gui/vantrel-historyshot" "$folder" "$days" "$range"
echo "Pictures in $folder"
