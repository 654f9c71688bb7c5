#!/usr/bin/env bash
# Instructions per stereo frame of the plug-in and of the bare engines, counted by valgrind's
# callgrind tool: the same figures on any machine and under any load, unlike timings.
#
# Runs kiv_callgrind_driver (built from tests/bench) three times under callgrind, each time with
# only its processing loop instrumented: the plug-in loaded from its shared object and driven
# through processReplacing in blocks, the bare Engine on the same frames, and the plain scalar
# reference engine of the engine tests. All three run the same program on the same fixed stereo
# signal at 44100 Hz.
#
# Usage: tools/perf/callgrind-per-frame.sh [-b build-dir] [-p program] [-s seconds] [-k block]
#   -b  build tree holding tests/bench/kiv_callgrind_driver (default: build, next to tools/)
#   -p  program 0..9 (default 1, "Lfo Sine 1/4 LP")
#   -s  seconds of signal (default 2)
#   -k  block size in frames for the plug-in (default 512)
# $KIV_PLUGIN overrides the plug-in the driver loads (default: the one built in that tree).
# Build the driver first: cmake --build <build-dir> --target kiv_callgrind_driver
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$here/../../build"
program=1
seconds=2
block=512

usage() {
    sed -n 's/^# \{0,1\}//p' "${BASH_SOURCE[0]}" | sed -n '/^Usage:/,/^Build/p' >&2
    exit 2
}

while getopts "b:p:s:k:h" option; do
    case "$option" in
        b) build="$OPTARG" ;;
        p) program="$OPTARG" ;;
        s) seconds="$OPTARG" ;;
        k) block="$OPTARG" ;;
        *) usage ;;
    esac
done
shift $((OPTIND - 1))
[[ $# -eq 0 ]] || usage

driver="$build/tests/bench/kiv_callgrind_driver"
if [[ ! -x "$driver" ]]; then
    echo "callgrind-per-frame: no driver at $driver (build the target kiv_callgrind_driver)" >&2
    exit 1
fi
for tool in valgrind callgrind_annotate; do
    if ! command -v "$tool" > /dev/null; then
        echo "callgrind-per-frame: $tool is not installed (Debian package valgrind)" >&2
        exit 1
    fi
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Runs the driver in one mode under callgrind; leaves the profile in $scratch/<mode>.out and
# the number of frames in $scratch/<mode>.frames.
measure() {
    local mode="$1"
    if ! valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$scratch/$mode.out" \
        "$driver" "$mode" "$program" "$seconds" "$block" > "$scratch/$mode.stdout" \
        2> "$scratch/$mode.log"; then
        echo "callgrind-per-frame: the $mode run failed:" >&2
        cat "$scratch/$mode.log" >&2
        exit 1
    fi
    awk '$1 == "frames" { print $2 }' "$scratch/$mode.stdout" > "$scratch/$mode.frames"
}

# Inclusive instructions of the first function whose name starts with $2 in profile $1. Lines
# of the listing read "<count> (<share>)  <file>:<function> [<object>]"; the file is "???" for
# code without debug information.
inclusive() {
    callgrind_annotate --inclusive=yes --threshold=100 "$scratch/$1.out" |
        awk -v name="$2" '
            found { next }
            {
                line = $0
                sub(/^ */, "", line)
                count = line
                sub(/ .*/, "", count)
                gsub(",", "", count)
                if (count ~ /^[0-9]+$/ && index(substr(line, index(line, ":") + 1), name) == 1) {
                    print count
                    found = 1
                }
            }'
}

per_frame() {
    awk -v n="$1" -v frames="$2" 'BEGIN { printf "%.1f", n / frames }'
}

for mode in plugin engine reference; do
    measure "$mode"
done

frames="$(cat "$scratch/plugin.frames")"
plugin_loop="$(inclusive plugin '(anonymous namespace)::runPlugin(')"
plugin_call="$(inclusive plugin 'JuceVSTWrapper::processReplacingCB(')"
plugin_engine="$(inclusive plugin 'Engine::process(float*, float*)')"
engine_loop="$(inclusive engine 'void (anonymous namespace)::runEngine<Engine>(')"
engine_call="$(inclusive engine 'Engine::process(float*, float*)')"
reference_loop="$(inclusive reference 'void (anonymous namespace)::runEngine<ReferenceEngine>(')"

for value in "$plugin_loop" "$plugin_call" "$plugin_engine" "$engine_loop" "$engine_call" \
    "$reference_loop"; do
    if [[ ! "$value" =~ ^[0-9]+$ ]]; then
        echo "callgrind-per-frame: could not read a count from the profiles" >&2
        exit 1
    fi
done

overhead=$((plugin_call - plugin_engine))
printf 'Instructions per stereo frame: program %s, %s frames at 44100 Hz, plug-in blocks of %s\n' \
    "$program" "$frames" "$block"
printf '  plug-in, host loop and processReplacing    %8s\n' "$(per_frame "$plugin_loop" "$frames")"
printf '  plug-in, inside processReplacing           %8s\n' "$(per_frame "$plugin_call" "$frames")"
printf '    of which Engine::process                 %8s\n' "$(per_frame "$plugin_engine" "$frames")"
printf '    client and block loop                    %8s  (%s%% of Engine::process)\n' \
    "$(per_frame "$overhead" "$frames")" \
    "$(awk -v a="$overhead" -v b="$plugin_engine" 'BEGIN { printf "%.2f", 100 * a / b }')"
printf '  bare engine, loop                          %8s\n' "$(per_frame "$engine_loop" "$frames")"
printf '    of which Engine::process                 %8s\n' "$(per_frame "$engine_call" "$frames")"
printf '  plain scalar reference engine, loop        %8s\n' "$(per_frame "$reference_loop" "$frames")"
