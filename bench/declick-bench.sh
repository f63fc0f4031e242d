#!/usr/bin/env bash
# Scores Velvane's click repairer against ffmpeg's adeclick (its defaults and a small grid of
# settings, the best chosen on the tuning half) on excerpts of real music with damage of
# known positions, and times both; then the repairer's time and memory on a 60-minute
# stream. Installs the music (Debian game-music packages the Smart Sense corpus does not
# use) and the decoders when missing, and decodes two tracks of each package to raw 44.1 kHz
# 16-bit stereo under build-declick/ (ignored; nothing here is committed).
#   bench/declick-bench.sh [--seed N] [--runs R] [--seconds S] [--threads N] [--long-minutes M]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$root/build-declick
music=$work/music
build=${VELVANE_BENCH_BUILD:-$root/build}
args=()
threads=()
long=60
while [ $# -gt 0 ]; do
    case $1 in
    --long-minutes) long=$2; shift 2 ;;
    --threads) threads=("$1" "$2"); shift 2 ;;
    --seed | --runs | --seconds) args+=("$1" "$2"); shift 2 ;;
    *) echo "usage: $0 [--seed N] [--runs R] [--seconds S] [--threads N] [--long-minutes M]" >&2
       exit 2 ;;
    esac
done

source "$root/scripts/lib.sh"
packages=(warzone2100-music lincity-ng-data pingus-data frozen-bubble-data extremetuxracer-data)
VELVANE_PACKAGES+=("${packages[@]}" ffmpeg sox)
velvane_install_deps

# Two tracks per package: the 2nd and the 4th longest music files (not the longest: menus
# and credits loop for minutes), each named source-track.raw. The first of each package's
# two tunes the repairer, the second is held out.
mkdir -p "$music"
for package in "${packages[@]}"; do
    source=${package%%-*}
    n=0
    while IFS= read -r track; do
        n=$((n + 1))
        [ $n -eq 2 ] || [ $n -eq 4 ] || continue
        name=$(basename "${track%.*}" | tr -c 'A-Za-z0-9_\n' '_')
        raw=$music/$source-$n$name.raw
        [ -s "$raw" ] && continue
        ffmpeg -v error -nostdin -y -i "$track" -f s16le -ac 2 -ar 44100 -acodec pcm_s16le \
            "$raw" 2>/dev/null ||
            sox "$track" -t raw -r 44100 -c 2 -b 16 -e signed-integer "$raw" ||
            { echo "cannot decode $track" >&2; rm -f "$raw"; }
    done < <(dpkg -L "$package" | grep -E '/music/.*\.(ogg|opus|it|s3m|xm|mod)$|/snd/.*zik.*\.ogg$' |
        xargs -d '\n' ls -S)
done

velvane_build_targets "$build" declick_bench -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON \
    -DVELVANE_TESTS=OFF -DVELVANE_GUI=OFF >/dev/null
"$build/bin/declick_bench" --music "$music" --work "$work" "${args[@]}" "${threads[@]}"
"$build/bin/declick_bench" --long-minutes "$long" "${threads[@]}"
