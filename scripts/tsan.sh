#!/usr/bin/env bash
# Builds the test programs that run threads (the background search, loading
# and the windows) with ThreadSanitizer in build/tsan (Debug) and runs them
# with tests/tsan.supp. Qt is not built with ThreadSanitizer, so the file
# silences what happens inside Qt's libraries; a report that is left points
# at our code. Each program's output goes to build/tsan/PROGRAM.log; the exit
# is non-zero when a test fails or a race is reported.
#
#   scripts/tsan.sh [PROGRAM...]   (default: tests_search tests_base tests_gui)
set -euo pipefail
cd "$(dirname "$0")/.."

programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(tests_search tests_base tests_gui)

if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DTALSK_TSAN=ON -DTALSK_SANITIZE=OFF \
    -DTALSK_TESTS=ON >/dev/null
cmake --build build/tsan -j"$(nproc)" --target "${programs[@]}"

export QT_QPA_PLATFORM=offscreen
# The longest history, so that the earlier access of a report keeps its
# stack and the suppressions can match it.
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp history_size=7 halt_on_error=0 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
status=0
# run NAME PROGRAM [ARGS...]: one process, its output in build/tsan/NAME.log.
run() {
    local name=$1 program=$2
    shift 2
    local log=build/tsan/$name.log
    echo "== $name (output in $log)"
    # Without address space randomisation: newer kernels map memory where
    # ThreadSanitizer does not expect it.
    if setarch "$(uname -m)" -R "build/tsan/tests/$program" "$@" >"$log" 2>&1; then
        tail -n 1 "$log"
    else
        status=1
        grep -E '^\[  (PASSED|FAILED) |^SUMMARY: ThreadSanitizer' "$log" | sort | uniq -c || true
    fi
}
for program in "${programs[@]}"; do
    if [ "$program" = tests_gui ]; then
        # The stop-signal tests get a process of their own: after a signal
        # delivered to itself ThreadSanitizer no longer sees the window
        # thread's locks, and later tests would report what is not there.
        run tests_gui tests_gui --gtest_filter='-Shutdown.*'
        run tests_gui_signals tests_gui --gtest_filter='Shutdown.*'
    else
        run "$program" "$program"
    fi
done
exit $status
