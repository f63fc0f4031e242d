#!/usr/bin/env bash
# Installs what is missing, builds Velvane twice (plain, and with Address- and
# UndefinedBehaviorSanitizer) and runs every test in both builds.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

velvane_install_deps
velvane_build "$VELVANE_ROOT/build" -DVELVANE_TESTS=ON
velvane_build "$VELVANE_ROOT/build-asan" -DVELVANE_TESTS=ON -DVELVANE_SANITIZE=address,undefined -DVELVANE_BENCH=OFF

velvane_test_environment
velvane_start_xvfb
trap velvane_stop_xvfb EXIT
source "$VELVANE_ROOT/tests/support/virtual-audio/setup.sh"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$VELVANE_ROOT/tests/support/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
echo "== tests (sanitizers) =="
ctest --test-dir "$VELVANE_ROOT/build-asan" --output-on-failure -j "$(nproc)" || status=$?
echo "== tests =="
ctest --test-dir "$VELVANE_ROOT/build" --output-on-failure -j "$(nproc)" || status=$?
exit $status
