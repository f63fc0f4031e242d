#!/usr/bin/env bash
# Builds and runs the encoder-loop benchmark for each real encoder:
# bench/encode_bench.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
build=${1:-$VELVANE_ROOT/build}
rounds=${2:-5}
velvane_build "$build" -DVELVANE_BENCH=ON >/dev/null
for encoder in ogg lame flac; do
    "$build/bin/encode_bench" "$encoder" "$rounds"
    echo
done
