#!/usr/bin/env bash
# Builds velvane-cli and smart_bench in Release and scores Smart Sense (without and with the
# song counts), Auto Sense and sox's silence splitting on the corpus that bench/make-corpus.sh
# built (making it first when it is missing), per condition and per half; then times the
# corpus against sox and measures Smart Sense's peak memory and time on long sides. Not part
# of the tests. Arguments go to smart_bench:
#   bench/smart-bench.sh [--seed S] [--runs N] [--sox 1%,0.3%] [--details] [--long-hours 6]
#                        [--half tuning|held-out] [--detector-only]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}
seed=1
args=()
while [ $# -gt 0 ]; do
    case $1 in
    --seed) seed=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done
corpus=$root/build-corpus/seed$seed
[ -f "$corpus/clean-vinyl-1.truth" ] || bash "$root/bench/make-corpus.sh" --seed "$seed"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli smart_bench
"$build/bin/smart_bench" --cli "$build/bin/velvane-cli" --corpus "$corpus" "${args[@]}"
