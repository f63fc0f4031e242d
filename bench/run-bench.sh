#!/usr/bin/env bash
# Builds velvane-cli and a benchmark in Release and runs it; not part of the tests.
#   bench/run-bench.sh [ARGS]         slice_bench: velvane-cli's auto-sense slicing of a
#       generated 25-minute side (EQ 0 and EQ 6) against sox and dd, and its peak memory on
#       a 60-minute side
#   bench/run-bench.sh record [ARGS]  record_bench: a generated 40-minute record sliced and
#       encoded (lame 192, oggenc, flac) with --jobs 1, with the default, and by a sox +
#       xargs -P script (takes some minutes)
#   bench/run-bench.sh formats [ARGS] formats_bench: the same on a 25-minute 96 kHz 24-bit
#       side (auto sense and typed times), and the peak memory on a 60-minute 192 kHz one
# ARGS go to the program, e.g. bench/run-bench.sh --runs 3 --rss-minutes 0
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}
program=slice_bench
if [ "${1:-}" = record ]; then
    program=record_bench
    shift
elif [ "${1:-}" = formats ]; then
    program=formats_bench
    shift
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli "$program"
"$build/bin/$program" --cli "$build/bin/velvane-cli" "$@"
