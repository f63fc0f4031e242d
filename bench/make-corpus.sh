#!/usr/bin/env bash
# Builds the Smart Sense corpus: installs the Debian packages of game music used as the
# music (fb-music-high, hyperrogue-music, asc-music, and wesnoth-1.16-music for orchestral
# pieces) and the decoders when missing, decodes every track to raw 44.1 kHz 16-bit stereo
# (the orchestral ones named orchestral-*.raw), and has velvane-make-corpus build the sides
# and their ground truth. Nothing here is committed: it all goes under build-corpus/
# (ignored).
#   bench/make-corpus.sh [--seed S] [--sides-per-condition N] [--out DIR]
# Defaults: seed 1, 3 sides per condition, build-corpus/seedS. Not part of the tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seed=1
sides=3
out=
while [ $# -gt 0 ]; do
    case $1 in
    --seed) seed=$2; shift 2 ;;
    --sides-per-condition) sides=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--seed S] [--sides-per-condition N] [--out DIR]" >&2; exit 2 ;;
    esac
done
corpus=$root/build-corpus
out=${out:-$corpus/seed$seed}
music=$corpus/music
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build}

# The music and the decoders are needed here only, so only this script installs them.
source "$root/scripts/lib.sh"
VELVANE_PACKAGES+=(fb-music-high hyperrogue-music asc-music wesnoth-1.16-music ffmpeg sox)
velvane_install_deps

# Every track of the packages, decoded once (ffmpeg; sox where ffmpeg refuses a file).
mkdir -p "$music"
decode() {  # TRACK PREFIX
    local raw=$music/$2$(basename "${1%.*}").raw
    [ -s "$raw" ] && return
    ffmpeg -v error -nostdin -y -i "$1" -f s16le -ac 2 -ar 44100 -acodec pcm_s16le "$raw" \
        2>/dev/null ||
        sox "$1" -t raw -r 44100 -c 2 -b 16 -e signed-integer "$raw" ||
        { echo "cannot decode $1" >&2; rm -f "$raw"; }
}
while IFS= read -r track; do decode "$track" ""; done < <(
    dpkg -L fb-music-high hyperrogue-music asc-music | grep -E '/music/.*\.(ogg|mp3)$|\.xm$' | sort)
while IFS= read -r track; do decode "$track" orchestral-; done < <(
    dpkg -L wesnoth-1.16-music | grep -E '\.ogg$' | sort)

velvane_build_targets "$build" velvane-make-corpus -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON \
    -DVELVANE_TESTS=OFF -DVELVANE_GUI=OFF >/dev/null
"$build/bin/velvane-make-corpus" --music "$music" --out "$out" --seed "$seed" --sides-per-condition "$sides"
echo "corpus in $out"
