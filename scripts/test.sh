#!/usr/bin/env bash
# Installs what is missing, builds Velvane and runs every test:
# - every test program, built with AddressSanitizer and UndefinedBehaviorSanitizer, runs
#   all its cases (build-asan);
# - the test programs that run threads of their own (the window's jobs, the engine,
#   encoding, recording, the voice messages) are built with ThreadSanitizer and run
#   (build-tsan);
# - the programs and the benchmarks are built as a user gets them, optimised and
#   uninstrumented, and the programs are run end to end there (build, label "plain").
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

velvane_install_deps
# The sanitizer trees build each target's sources as a few combined files (unity build):
# far fewer compiler runs; the optimised tree still compiles every file on its own.
velvane_build "$VELVANE_ROOT/build-asan" -DVELVANE_TESTS=ON -DVELVANE_SANITIZE=address,undefined \
    -DVELVANE_BENCH=OFF -DCMAKE_UNITY_BUILD=ON
# Test programs that run threads of their own.
VELVANE_TSAN_TESTS="gui_channel_tests detect_tests slice_tests jobs_tests encode_tests job_window_tests recording_tests
                    audio_device_tests voice_tests"
velvane_build_targets "$VELVANE_ROOT/build-tsan" "$VELVANE_TSAN_TESTS" -DVELVANE_TESTS=ON \
    -DVELVANE_SANITIZE=thread -DVELVANE_BENCH=OFF -DCMAKE_UNITY_BUILD=ON
velvane_build_targets "$VELVANE_ROOT/build" "programs benchmarks plain_checks" -DVELVANE_TESTS=ON

velvane_test_environment
velvane_start_xvfb
trap velvane_stop_xvfb EXIT
source "$VELVANE_ROOT/tests/support/virtual-audio/setup.sh"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$VELVANE_ROOT/tests/support/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
echo "== tests (thread sanitizer) =="
# gcc 12's ThreadSanitizer cannot map its shadow memory under the kernel's full address
# randomisation: run without it. Each program runs all its cases in one process.
export TSAN_OPTIONS="suppressions=$VELVANE_ROOT/tests/support/tsan.supp:second_deadlock_stack=1:exitcode=66"
# The programs run side by side, one per processor; each one's output is shown whole.
tsan_logs=$(mktemp -d)
printf '%s\n' $VELVANE_TSAN_TESTS | xargs -P "$(nproc)" -I{} sh -c \
    'setarch "$(uname -m)" -R "$0/build-tsan/bin/{}" --gtest_brief=1 >"$1/{}.log" 2>&1 ||
     echo $? >"$1/{}.failed"' "$VELVANE_ROOT" "$tsan_logs"
for t in $VELVANE_TSAN_TESTS; do
    echo "-- $t"
    cat "$tsan_logs/$t.log"
    if [ -e "$tsan_logs/$t.failed" ]; then
        echo "** $t failed (exit status $(cat "$tsan_logs/$t.failed"))"
        status=1
    fi
done
rm -rf "$tsan_logs"

echo "== programs end to end (optimised) =="
ctest --test-dir "$VELVANE_ROOT/build" -L plain --output-on-failure -j "$(nproc)" || status=$?

# Last, so that ctest's summary closes the output.
echo "== tests (address and undefined-behaviour sanitizers) =="
ctest --test-dir "$VELVANE_ROOT/build-asan" --output-on-failure -j "$(nproc)" || status=$?
exit $status
