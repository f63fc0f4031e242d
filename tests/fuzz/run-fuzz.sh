#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 600). Not part of CI.
#
#   tests/fuzz/run-fuzz.sh [SECONDS] [wave_header|settings_reader|slice_side|all]
#
# Build and corpora go to $VELVANE_FUZZ_BUILD (default /tmp/velvane-fuzz). The corpora start
# from generated seeds and from tests/fuzz/regressions/TARGET/. A finding is written to
# $VELVANE_FUZZ_BUILD/artifacts/; once fixed, copy it into tests/fuzz/regressions/TARGET/,
# where the fuzz_regression tests replay it in every normal test run.
set -euo pipefail

seconds=${1:-600}
which=${2:-all}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${VELVANE_FUZZ_BUILD:-/tmp/velvane-fuzz}
mkdir -p "$build/artifacts"

# The fuzzing compiler is needed here only, so only this script installs it.
source "$root/scripts/lib.sh"
VELVANE_PACKAGES+=(clang libclang-rt-14-dev)
velvane_install_deps
CC=clang CXX=clang++ velvane_build_targets "$build/tree" "fuzzers" -DVELVANE_FUZZ=ON \
    -DVELVANE_GUI=OFF -DVELVANE_BENCH=OFF -DVELVANE_SANITIZE=fuzzer-no-link,address,undefined
bin=$build/tree/bin

make_seeds() {
    mkdir -p "$build/seeds/wave_header" "$build/seeds/settings_reader" "$build/seeds/slice_side"
    "$bin/make-seeds" "$build/seeds/wave_header" "$build/seeds/settings_reader"
    # A slice input is 22 setting bytes, then a WAV file.
    local seed settings
    for seed in "$build"/seeds/wave_header/*; do
        for settings in 00000000000000000000000000000000000000000000 \
                        8001e803d007b80b0000000000000000000000000000 \
                        3f0210002000300000000000000000000000000000ff; do
            { printf "$(echo "$settings" | sed 's/../\\x&/g')"; cat "$seed"; } \
                >"$build/seeds/slice_side/${settings:0:4}-$(basename "$seed")"
        done
    done
}

run_target() {
    local name=$1 dict=$1
    [ "$name" = slice_side ] && dict=wave_header
    mkdir -p "$build/corpus/$name" "$root/tests/fuzz/regressions/$name"
    echo "running $name for $seconds s"
    "$bin/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -dict="$root/tests/fuzz/$dict.dict" \
        -artifact_prefix="$build/artifacts/$name-" \
        "$build/corpus/$name" "$build/seeds/$name" "$root/tests/fuzz/regressions/$name"
}

make_seeds
targets=()
case $which in
    wave_header | settings_reader | slice_side) targets=("$which") ;;
    all) targets=(wave_header settings_reader slice_side) ;;
    *) echo "unknown target $which (wave_header, settings_reader, slice_side or all)" >&2; exit 2 ;;
esac
for t in "${targets[@]}"; do run_target "$t"; done
