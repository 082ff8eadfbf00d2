# shellcheck shell=bash disable=SC2034
# Shared by the build scripts (sourced, not run): the two builds, ccache, and the private network
# namespace the tests and checks run in.
#
#   the program build   optimised, gcc, warnings as errors, no tests: what the package, the
#                       demo and the fault scenarios need. Folder $VANTREL_BUILD (default build).
#   the test build      clang-14 with AddressSanitizer and UndefinedBehaviorSanitizer at -O1,
#                       warnings as errors: the program, the tools, every test and the fuzz
#                       targets. Folder $VANTREL_TEST_BUILD (default build-test).

program_build=${VANTREL_BUILD:-build}
test_build=${VANTREL_TEST_BUILD:-build-test}

# Every compile goes through ccache when it is installed. Its cache stays where the user keeps it
# (CCACHE_DIR, or ccache's default under ~/.cache), outside the clone, so a second run, also of
# another clone, finds it warm: paths are taken relative to the clone and the build folder's name
# is not part of the key.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
    # What ccache needs to cache the files that use a precompiled header (cmake/VantrelPch.cmake).
    export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
fi

configure_program_build() {
    cmake -S . -B "$program_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
        -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF "${launcher[@]}" "$@" >/dev/null
}

# A Debug build type, so that Qt's own assertions hold too; the sanitizer option makes it -O1.
# lld links the fifty executables in a seventh of the time ld takes.
configure_test_build() {
    cmake -S . -B "$test_build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DVANTREL_WERROR=ON -DVANTREL_SANITIZE=ON \
        -DVANTREL_FUZZ=ON -DVANTREL_REQUIRE_SNMPD=ON "${launcher[@]}" "$@" >/dev/null
}

# Root gets a plain network namespace; anyone else a user namespace that maps them to root.
isolate=(unshare -n)
[ "$(id -u)" -eq 0 ] || isolate=(unshare -rn)

# The benchmarks and the window measurement (scripts/measure.sh), and the tools that draw
# pictures of the window: optimised like the program, with the tests' helpers.
bench_build=${VANTREL_BENCH_BUILD:-build-bench}
configure_bench_build() {
    cmake -S . -B "$bench_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BENCH=ON \
        "${launcher[@]}" "$@" >/dev/null
}
