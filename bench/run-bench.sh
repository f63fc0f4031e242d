#!/usr/bin/env bash
# Builds velvane-cli and slice_bench in Release and runs the benchmark: velvane-cli's
# auto-sense slicing of a generated 25-minute side against sox and dd, and its peak memory
# on a 60-minute side. Not part of the tests. Arguments go to slice_bench, e.g.
#   bench/run-bench.sh --runs 3 --rss-minutes 0
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli slice_bench
"$build/bin/slice_bench" --cli "$build/bin/velvane-cli" "$@"
