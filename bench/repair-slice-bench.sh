#!/usr/bin/env bash
# What the click repair costs where it is wired in: velvane-cli slicing a generated side
# (songs with hiss and crackle) at typed times with --declick off, light, medium and strong
# (wall time, times real time, ratio to off, peak memory), the declick command on the same
# side, and the peak memory of slicing a 60-minute side with Repair on. Release build; not
# part of the tests.
#   bench/repair-slice-bench.sh [MINUTES [LONG_MINUTES]]   (default 25 and 60; 0 skips the long side)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-repair-bench-build}
minutes=${1:-25}
long_minutes=${2:-60}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=OFF -DVELVANE_TESTS=OFF \
    -DVELVANE_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velvane-cli velvane-gen-side >/dev/null
cli=$build/bin/velvane-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bin/velvane-gen-side" --minutes "$minutes" --songs 6 --seed 7 "$work/side.wav" >/dev/null
seconds=$((minutes * 60))
times="3.0,7.0,11.0,15.0,19.0"

# A / B, for the table (awk: in every Debian system).
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }

# "WALL_SECONDS PEAK_KB" of one run.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null
    cat "$work/time"
}

echo "slice of a ${minutes}-minute 44.1 kHz 16-bit side at 5 typed times, $(nproc) processors"
printf "%-10s %9s %12s %10s %9s  %s\n" declick seconds "x real time" "vs off" "peak MB" "summary"
off=""
for strength in off light medium strong; do
    rm -rf "$work/out-$strength"
    read -r wall kb < <(measure "$cli" slice --typed --times1 "$times" --declick "$strength" \
        --out "$work/out-$strength" "$work/side.wav")
    [ -z "$off" ] && off=$wall
    summary=$(grep -o "clicks repaired per slice: .*)" "$work/out" || echo "-")
    printf "%-10s %9.2f %12.1f %10.2f %9.1f  %s\n" "$strength" "$wall" \
        "$(ratio "$seconds" "$wall")" "$(ratio "$wall" "$off")" \
        "$(ratio "$kb" 1024)" "$summary"
done

echo
echo "declick of the same side into a new file"
printf "%-10s %9s %12s %9s  %s\n" strength seconds "x real time" "peak MB" "summary"
for strength in light medium strong; do
    read -r wall kb < <(measure "$cli" declick --force --strength "$strength" "$work/side.wav" \
        "$work/repaired.wav")
    printf "%-10s %9.2f %12.1f %9.1f  %s\n" "$strength" "$wall" "$(ratio "$seconds" "$wall")" \
        "$(ratio "$kb" 1024)" "$(grep -o "[0-9]* clicks\? repaired" "$work/out")"
done

if [ "$long_minutes" -gt 0 ]; then
    echo
    "$build/bin/velvane-gen-side" --minutes "$long_minutes" --songs 12 --seed 8 \
        "$work/long.wav" >/dev/null
    echo "peak memory slicing a ${long_minutes}-minute side with --declick medium and --normalize"
    read -r wall kb < <(measure "$cli" slice --typed --times1 "$times" --declick medium --normalize \
        --out "$work/out-long" "$work/long.wav")
    printf "%9.2f s, %.1f MB\n" "$wall" "$(ratio "$kb" 1024)"
fi
