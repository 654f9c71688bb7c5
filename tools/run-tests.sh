#!/usr/bin/env bash
# Builds the plug-in, the tests and the tools, and runs the whole test suite.
# Set KIV_TEST_STAGES to a subset of "main ardour" to run fewer stages.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"
stages="${KIV_TEST_STAGES:-main ardour}"

run_ctest() {
    # The editor tests open real X windows: give them a virtual display.
    if [ -z "${DISPLAY:-}" ] && command -v xvfb-run > /dev/null; then
        xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$1" --output-on-failure -j "$jobs"
    else
        ctest --test-dir "$1" --output-on-failure -j "$jobs"
    fi
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
        *)
            echo "run-tests: unknown stage '$stage'" >&2
            exit 2
            ;;
    esac
done
