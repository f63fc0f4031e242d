#!/usr/bin/env bash
# Builds the Smart Sense corpus: installs the Debian packages of game music used as the
# music (fb-music-high, hyperrogue-music, asc-music) and the decoders when missing, decodes
# every track to raw 44.1 kHz 16-bit stereo, and has velvane-make-corpus build the sides and
# their ground truth. Nothing here is committed: it all goes under build-corpus/ (ignored).
#   bench/make-corpus.sh [--seed S] [--sides N] [--out DIR]
# Defaults: seed 1, 14 sides, build-corpus/seedS. Not part of the tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seed=1
sides=14
out=
while [ $# -gt 0 ]; do
    case $1 in
    --seed) seed=$2; shift 2 ;;
    --sides) sides=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--seed S] [--sides N] [--out DIR]" >&2; exit 2 ;;
    esac
done
corpus=$root/build-corpus
out=${out:-$corpus/seed$seed}
music=$corpus/music
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}

# The music and the decoders are needed here only, so only this script installs them.
source "$root/scripts/lib.sh"
VELVANE_PACKAGES+=(fb-music-high hyperrogue-music asc-music ffmpeg sox)
velvane_install_deps

# Every track of the three packages, decoded once (ffmpeg; sox where ffmpeg refuses a file).
mkdir -p "$music"
while IFS= read -r track; do
    raw=$music/$(basename "${track%.*}").raw
    [ -s "$raw" ] && continue
    ffmpeg -v error -nostdin -y -i "$track" -f s16le -ac 2 -ar 44100 -acodec pcm_s16le "$raw" \
        2>/dev/null ||
        sox "$track" -t raw -r 44100 -c 2 -b 16 -e signed-integer "$raw" ||
        { echo "cannot decode $track" >&2; rm -f "$raw"; }
done < <(dpkg -L fb-music-high hyperrogue-music asc-music |
    grep -E '/music/.*\.(ogg|mp3)$|\.xm$' | sort)

velvane_build_targets "$build" velvane-make-corpus -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON \
    -DVELVANE_TESTS=OFF -DVELVANE_GUI=OFF >/dev/null
"$build/bin/velvane-make-corpus" --music "$music" --out "$out" --seed "$seed" --sides "$sides"
echo "corpus in $out"
