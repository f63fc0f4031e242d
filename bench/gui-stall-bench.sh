#!/usr/bin/env bash
# Builds gui_stall_bench in Release and runs it on a generated side of MINUTES minutes
# (default 60): how long "Draw waveforms", playing while zooming and scrolling, and
# "Slice using auto sense or typed times" keep the window's GUI thread from its events.
# An X server is started when no display is set; the side plays into the virtual sound
# card (tests/support/virtual-audio). Not part of the tests.
#   bench/gui-stall-bench.sh [MINUTES [SIDE.wav]]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BENCH_BUILD:-/tmp/velvane-bench-build-gui}
source "$root/scripts/lib.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF \
    >/dev/null
cmake --build "$build" -j "$(nproc)" --target gui_stall_bench
velvane_test_environment
velvane_start_xvfb
trap velvane_stop_xvfb EXIT
source "$root/tests/support/virtual-audio/setup.sh"
export VELVANE_VA_PLAYBACK=/dev/null VELVANE_VA_REALTIME=1
"$build/bin/gui_stall_bench" "$@"
