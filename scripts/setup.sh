#!/bin/bash
# Installs what Vantrel needs on Debian 12, as root (or through sudo). Packages that are
# installed already are not fetched again, so a repeated run takes a moment.
#   setup.sh           everything to build, test, fuzz, benchmark and package
#   setup.sh --program only what building and running the program needs (the demo)
set -euo pipefail

# What the program needs to build and run; ccache keeps a second build quick.
PROGRAM=(
    build-essential cmake ccache
    qt6-base-dev libgl-dev libxcb1-dev pkg-config
    libjpeg62-turbo-dev libcurl4-openssl-dev
    libqt6sql6-sqlite
    # the cryptography of SNMP v3, and the desktop's secret store for its passphrases
    nettle-dev qtkeychain-qt6-dev
)
# What the tests, the fuzzers, the benchmarks and the package checks need besides.
DEVELOPMENT=(
    snmpd snmp
    libbenchmark-dev
    clang-14 libclang-rt-14-dev lld clang-format
    xvfb xauth openbox trayer xdotool xclip x11-utils imagemagick
    iproute2 util-linux
    dpkg-dev desktop-file-utils appstream
    # promtool (in prometheus) checks the metrics text of the line history
    prometheus
)

PACKAGES=("${PROGRAM[@]}")
[ "${1:-}" = "--program" ] || PACKAGES+=("${DEVELOPMENT[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#PACKAGES[@]} packages are installed"
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
        echo "setup: run as root to install: ${missing[*]}" >&2
        exit 1
    }
    sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
