#!/usr/bin/env bash
# Builds the plug-in, the tests and the tools, and runs the whole test suite.
# Set KIV_TEST_STAGES to a subset of "main ardour fuzz asan tsan" to run fewer stages;
# KIV_FUZZ_SECONDS sets how long the fuzz stage fuzzes (60 by default).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"
stages="${KIV_TEST_STAGES:-main ardour fuzz asan tsan}"

# The editor tests open real X windows: without a display of the caller's, one virtual X
# server serves every stage and is stopped when the script ends, however it ends.
xvfb_pid=""
stop_display() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2> /dev/null || true
        wait "$xvfb_pid" 2> /dev/null || true
        xvfb_pid=""
    fi
}
start_display() {
    if [ -n "${DISPLAY:-}" ] || ! command -v Xvfb > /dev/null; then
        return 0
    fi
    local number_file
    number_file="$(mktemp)"
    # The server picks a free display number and writes it to the file once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$number_file" 2> /dev/null &
    xvfb_pid=$!
    trap stop_display EXIT
    for _ in $(seq 100); do
        if [ -s "$number_file" ]; then
            export DISPLAY=":$(tr -d '[:space:]' < "$number_file")"
            rm -f "$number_file"
            return 0
        fi
        sleep 0.1
    done
    rm -f "$number_file"
    echo "run-tests: the virtual X server did not start" >&2
    exit 1
}

run_ctest() {
    start_display
    ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

for stage in $stages; do
    case "$stage" in
        main)
            cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
            cmake --build build -j "$jobs"
            run_ctest build
            ;;
        ardour)
            # The plug-in built by the main stage, loaded into Ardour.
            plugin_so="$(find build -name KIV-Filter.so -type f 2> /dev/null | head -n 1 || true)"
            if [ -z "$plugin_so" ]; then
                echo "run-tests: stage ardour: no KIV-Filter.so under build/ (run the main stage first)" >&2
                exit 1
            fi
            tests/ardour/run-ardour-test.sh "$plugin_so"
            ;;
        fuzz)
            # The state reader's fuzzer, in a clang tree of its own, for a bounded time. Its
            # working corpus stays in the tree, so later runs (longer ones by hand too) go on
            # from there; a crash or a hang leaves its input in the same folder and fails here.
            cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_FUZZ=ON \
                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
                -DKIV_BUILD_TOOLS=OFF -DKIV_BUILD_BENCHMARKS=OFF
            cmake --build build-fuzz -j "$jobs" --target kiv_state_fuzzer
            fuzz_work=build-fuzz/fuzz-run
            mkdir -p "$fuzz_work/corpus"
            UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/fuzz/ubsan.supp" \
                build-fuzz/tests/fuzz/kiv_state_fuzzer -dict=tests/fuzz/state.dict \
                -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
                -max_total_time="${KIV_FUZZ_SECONDS:-60}" -print_final_stats=1 \
                -artifact_prefix="$fuzz_work/" \
                "$fuzz_work/corpus" tests/fuzz/corpus tests/fuzz/regressions
            ;;
        asan)
            # The whole suite again with AddressSanitizer (leaks included) and
            # UndefinedBehaviorSanitizer, in a debug tree so that the framework's own leak
            # detector is on too; it only prints, so its report is looked for afterwards.
            # The framework's debug build prints its version on start; the tools' tests read
            # their standard error and want only their own words there.
            cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON \
                -DKIV_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS=-DJUCE_DISABLE_JUCE_VERSION_PRINTING=1
            cmake --build build-asan -j "$jobs"
            ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1" \
                UBSAN_OPTIONS="print_stacktrace=1" \
                run_ctest build-asan
            if grep -n "Leaked objects detected" build-asan/Testing/Temporary/LastTest.log; then
                echo "run-tests: stage asan: the framework's leak detector reported leaks" >&2
                exit 1
            fi
            ;;
        tsan)
            # Host threads racing on one instance, under ThreadSanitizer, in a tree of its own.
            cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_TSAN=ON \
                -DKIV_BUILD_TOOLS=OFF -DKIV_BUILD_BENCHMARKS=OFF
            cmake --build build-tsan -j "$jobs" --target kiv_stress_tests
            ctest --test-dir build-tsan -R '^ThreadStressTest\.' --no-tests=error --output-on-failure
            ;;
        *)
            echo "run-tests: unknown stage '$stage'" >&2
            exit 2
            ;;
    esac
done
