#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 600). Not part of CI.
#
#   tests/fuzz/run-fuzz.sh [SECONDS] [wave_header|settings_reader|all]
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

flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -ffp-contract=off -I"$root"
       -DVELVANE_DATA_DIR='"share/velvane"')
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
library=("$root/audio/WaveFile.cpp" "$root/platform/Paths.cpp" "$root/engine/SettingsFile.cpp")

build_target() {
    local name=$1 source=$2
    echo "building $name"
    clang++ "${flags[@]}" "${sanitize[@]}" "$source" "${library[@]}" -o "$build/${name}_fuzz"
}

make_seeds() {
    clang++ "${flags[@]}" "$root/tests/fuzz/MakeSeeds.cpp" "$root/tests/support/TestWav.cpp" \
        "$root/tests/support/TempDir.cpp" "${library[@]}" -o "$build/make-seeds"
    mkdir -p "$build/seeds/wave_header" "$build/seeds/settings_reader"
    "$build/make-seeds" "$build/seeds/wave_header" "$build/seeds/settings_reader"
}

run_target() {
    local name=$1
    mkdir -p "$build/corpus/$name"
    echo "running $name for $seconds s"
    "$build/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -dict="$root/tests/fuzz/$name.dict" \
        -artifact_prefix="$build/artifacts/$name-" \
        "$build/corpus/$name" "$build/seeds/$name" "$root/tests/fuzz/regressions/$name"
}

make_seeds
targets=()
case $which in
    wave_header | settings_reader) targets=("$which") ;;
    all) targets=(wave_header settings_reader) ;;
    *) echo "unknown target $which (wave_header, settings_reader or all)" >&2; exit 2 ;;
esac
for t in "${targets[@]}"; do
    case $t in
        wave_header) build_target wave_header "$root/tests/fuzz/WaveHeaderFuzz.cpp" ;;
        settings_reader) build_target settings_reader "$root/tests/fuzz/SettingsReaderFuzz.cpp" ;;
    esac
done
for t in "${targets[@]}"; do run_target "$t"; done
