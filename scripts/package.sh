#!/bin/bash
# Builds the Debian package with CPack and checks it: the desktop entry and the AppStream
# metadata pass their validators, the package holds every file it should and depends on what
# the program loads. With --install (CI passes it) the package is also installed with apt-get,
# its files are validated where they landed, every library the installed program loads must
# come from the package's dependencies, and the installed program is started headless against
# a simulated router on 127.0.0.1, inside a network namespace with only the loopback interface.
#   VANTREL_BUILD=<dir>  build folder (default build; scripts/build.sh builds it)
set -euo pipefail
cd "$(dirname "$0")/.."

install=no
[ "${1:-}" = "--install" ] && install=yes

bash scripts/setup.sh
bash scripts/build.sh
source scripts/common.sh
build=$program_build
fail() {
    echo "package: $*" >&2
    exit 1
}

app_id=$(sed -n 's/^VANTREL_APP_ID:STRING=//p' "$build/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
generated="$build/generated/desktop"
desktop-file-validate "$generated/$app_id.desktop"
"${isolate[@]}" appstreamcli validate --no-net "$generated/$app_id.metainfo.xml"
echo "package: desktop entry and AppStream metadata are valid"

rm -f "$build"/vantrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vantrel_*.deb)
echo "package: built $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/vantrel ./usr/bin/vantrel-routersim \
    "./usr/share/applications/$app_id.desktop" "./usr/share/metainfo/$app_id.metainfo.xml" \
    "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    ./usr/share/man/man1/vantrel.1.gz ./usr/share/man/man1/vantrel-routersim.1.gz \
    ./usr/share/vantrel/router.snmprec; do
    grep -qxF "$f" <<<"$contents" || fail "$f is missing from the package"
done
for size in 16 22 24 32 48 64 128 256; do
    grep -qxF "./usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" <<<"$contents" ||
        fail "the ${size}x$size icon is missing from the package"
done
# Every library the program names must come from a package the package depends on.
depends=$(dpkg-deb -f "$deb" Depends)
needs=(qt6-qpa-plugins libqt6sql6-sqlite)
for lib in $(objdump -p "$build/src/vantrel" | awk '$1 == "NEEDED" {print $2}'); do
    # awk reads to the end: leaving early would end ldconfig with SIGPIPE, fatal under pipefail.
    path=$(ldconfig -p | awk -v l="$lib" '!p && $1 == l && /x86-64|x32|64/ {p = $NF} END {print p}')
    [ -n "$path" ] || path=$(ldconfig -p | awk -v l="$lib" '!p && $1 == l {p = $NF} END {print p}')
    pkg=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null || dpkg -S "$path" 2>/dev/null || true)
    [ -n "$pkg" ] || fail "no package owns $lib"
    needs+=("${pkg%%:*}")
done
for p in "${needs[@]}"; do
    grep -q "\(^\|, \)$p\( \|,\|$\)" <<<"$depends" || fail "Depends lacks $p: $depends"
done
echo "package: contents and dependencies are complete ($depends)"

[ "$install" = yes ] || exit 0

DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" >/dev/null
desktop-file-validate "/usr/share/applications/$app_id.desktop"
"${isolate[@]}" appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY vantrel --version)" = "vantrel $version" ] ||
    fail "the installed vantrel --version does not say $version"

# A clean system gets every library the program loads from the package's dependencies.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances vantrel | grep -v '^ ' | sort -u)
owner() {
    local path=$1 pkg
    pkg=$(dpkg -S "$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null ||
        dpkg -S "/usr$path" 2>/dev/null || true)
    echo "${pkg%%:*}"
}
plugins=(/usr/lib/*/qt6/plugins/platforms/libqxcb.so)
plugin=${plugins[0]}
[ -f "$plugin" ] || fail "the Qt xcb platform plugin is not installed"
for lib in $(ldd /usr/bin/vantrel "$plugin" | awk '/=>/ {print $3}' | sort -u) "$plugin"; do
    pkg=$(owner "$(readlink -f "$lib")")
    [ -n "$pkg" ] || pkg=$(owner "$lib")
    [ -n "$pkg" ] || fail "no package owns $lib"
    grep -qxF "$pkg" <<<"$closure" || fail "$lib comes from $pkg, which the package does not pull in"
done
echo "package: every library the program loads comes from its dependencies"

# Start the installed program headless against the installed simulated router; on SIGTERM it
# saves its settings, which shows that it came up and ran.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
port=16197
printf '[System Info Settings]\nIP=127.0.0.1:%s\nCommunity=vormel\n' "$port" >"$work/config/vantrel.ini"
"${isolate[@]}" env WORK="$work" PORT="$port" sh -c '
    ip link set lo up
    vantrel-routersim --port "$PORT" --drop-every 0 >"$WORK/sim.log" 2>&1 &
    sim=$!
    sleep 1
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$WORK/config" \
        XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/runtime" vantrel >"$WORK/vantrel.log" 2>&1 &
    app=$!
    sleep 5
    kill -0 "$app" || { echo "vantrel ended early"; cat "$WORK/vantrel.log"; kill "$sim"; exit 1; }
    kill -TERM "$app"
    wait "$app"; code=$?
    kill -TERM "$sim"; wait "$sim" || true
    exit "$code"
' || fail "the installed program did not start and stop cleanly"
grep -q "^Version=$version" "$work/config/vantrel.ini" ||
    fail "the installed program did not save its settings"
[ -s "$work/data/vantrel/history.sqlite" ] ||
    fail "the installed program did not open its line history (SQLite driver missing?)"
echo "package: the installed program starts and saves its settings on SIGTERM"
