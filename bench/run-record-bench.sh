#!/usr/bin/env bash
# Builds velvane-cli and record_bench in Release and runs the benchmark: a generated
# 40-minute record sliced and encoded (lame 192, oggenc, flac) with --jobs 1, with the
# default, and by a sox + xargs -P script. Takes some minutes; not part of the tests.
# Arguments go to record_bench, e.g.
#   bench/run-record-bench.sh --runs 1 --encoders lame
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli record_bench
"$build/bin/record_bench" --cli "$build/bin/velvane-cli" "$@"
