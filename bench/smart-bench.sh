#!/usr/bin/env bash
# Builds velvane-cli and smart_bench in Release and runs Auto Sense, Smart Sense (without
# and with the song counts) and sox's silence splitting side by side on the corpus that
# bench/make-corpus.sh built (making it first when it is missing), then Smart Sense's peak
# memory and time on a 60-minute side. Not part of the tests. Arguments go to smart_bench:
#   bench/smart-bench.sh [--seed S] [--runs N] [--sox 1%,0.3%] [--details]
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
[ -f "$corpus/side01.truth" ] || bash "$root/bench/make-corpus.sh" --seed "$seed"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli smart_bench
"$build/bin/smart_bench" --cli "$build/bin/velvane-cli" --corpus "$corpus" "${args[@]}"
