#!/usr/bin/env bash
# Installs what is missing, builds Velvane and starts its window.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

velvane_install_deps
cmake -S "$VELVANE_ROOT" -B "$VELVANE_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$VELVANE_ROOT/build" -j "$(nproc)" --target programs
if [ -x "$VELVANE_ROOT/build/bin/velvane" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "Built $VELVANE_ROOT/build/bin/velvane; no display here to start it on (DISPLAY is not set)." >&2
        exit 1
    fi
    exec "$VELVANE_ROOT/build/bin/velvane" "$@"
fi
echo "The window is not built yet; the command line is: $VELVANE_ROOT/build/bin/velvane-cli --help"
