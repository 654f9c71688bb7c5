#!/usr/bin/env bash
# Loads the plug-in into Ardour (a Linux VST2 host we did not write), headless
# on its dummy audio backend, and checks what Ardour sees and hears:
#   1. scan, session with a stereo track, plug-in inserted: name, maker,
#      unique id, the 15 parameter names, the ten programs;
#   2. a test signal (a low and a high sine) rendered through the track under
#      program 0 "Clean Set Up" (both tones pass) and program 8 "Digital
#      Artefacts HP" (the low tone is strongly cut), then cutoff and LFO depth
#      edited, rendered again and the session saved;
#   3. the session reopened: the same parameter values and program, the same
#      sound, and the plug-in's chunk as Ardour saves it again.
#
# Usage: run-ardour-test.sh PATH/TO/KIV-Filter.so
# Environment: ARDOUR_LUA (default: ardour7-lua on PATH), ARDOUR_VST_SCANNER
# (default: the scanner of the installed ardour package), KIV_ARDOUR_TIMEOUT
# (seconds allowed for each Ardour run, default 120), KIV_ARDOUR_KEEP=1 keeps
# the work folder for inspection.
set -euo pipefail

started_ns=$(date +%s%N)
here="$(cd "$(dirname "$0")" && pwd)"

fail() {
    echo "ardour test: FAILED: $*" >&2
    exit 1
}

[ $# -eq 1 ] || { echo "usage: $0 PATH/TO/KIV-Filter.so" >&2; exit 2; }
plugin="$1"
[ -f "$plugin" ] || fail "no plug-in file at '$plugin'"

lua_tool="${ARDOUR_LUA:-$(command -v ardour7-lua || true)}"
[ -n "$lua_tool" ] && [ -x "$lua_tool" ] || fail "ardour7-lua not found (install the Debian package 'ardour')"
scanner="${ARDOUR_VST_SCANNER:-$(dpkg -L ardour 2>/dev/null | grep '/ardour-vst-scanner$' | head -n 1 || true)}"
[ -n "$scanner" ] && [ -x "$scanner" ] || fail "ardour-vst-scanner not found (install the Debian package 'ardour')"
command -v python3 > /dev/null || fail "python3 not found"

work="$(mktemp -d "${TMPDIR:-/tmp}/kiv-ardour.XXXXXX")"
groups=()

cleanup() {
    local rc=$?
    local g
    for g in "${groups[@]}"; do
        kill -KILL -- "-$g" 2> /dev/null || true
    done
    if [ "${KIV_ARDOUR_KEEP:-0}" = 1 ]; then
        echo "ardour test: work folder kept in $work" >&2
    else
        rm -rf "$work"
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A private home and configuration, and a plug-in folder that holds only ours.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$work/vst"
cp "$plugin" "$work/vst/KIV-Filter.so"
# Ardour rescans a plug-in whose file is newer than its scan cache, and the
# cache keeps whole seconds only: date the copy back so the scan below stands.
touch -d "2000-01-01 00:00:00" "$work/vst/KIV-Filter.so"
export LXVST_PATH="$work/vst"
unset VST_PATH DISPLAY WAYLAND_DISPLAY JACK_DEFAULT_SERVER

# Runs one command with a time limit in its own process group (timeout makes
# one), then kills whatever that group left behind. Output goes to a log that
# is shown when the command fails.
bounded() {
    local name="$1" limit="$2"
    shift 2
    local log="$work/$name.log" rc=0
    timeout -k 5 "$limit" "$@" > "$log" 2>&1 &
    local pid=$!
    groups+=("$pid")
    wait "$pid" || rc=$?
    kill -KILL -- "-$pid" 2> /dev/null || true
    if [ "$rc" -ne 0 ]; then
        echo "---- $name output (last 40 lines) ----" >&2
        tail -n 40 "$log" >&2
        echo "----" >&2
        case "$rc" in
            124|137) fail "$name did not finish within $limit s" ;;
            *) fail "$name ended with status $rc" ;;
        esac
    fi
}

seconds=3
edited_cutoff=0.45
session="$work/session"

echo "ardour test: scanning the plug-in"
scanner_dir="$(dirname "$scanner")"
bounded scan 60 env LD_LIBRARY_PATH="$scanner_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    "$scanner" -f "$work/vst/KIV-Filter.so"
uid="$(python3 - "$XDG_CACHE_HOME/ardour7/vst" << 'EOF'
import glob, sys, xml.etree.ElementTree as ET
ids = [i.get("id") for f in glob.glob(sys.argv[1] + "/*.v2i") for i in ET.parse(f).getroot().iter("VST2Info")]
print(ids[0] if len(ids) == 1 else "")
EOF
)"
[ -n "$uid" ] || { cat "$work/scan.log" >&2; fail "Ardour's scanner found no single VST2 plug-in in the file"; }

run_session() {
    local mode="$1"
    shift
    bounded "ardour-$mode" "${KIV_ARDOUR_TIMEOUT:-120}" "$lua_tool" "$here/session.lua" "$mode" "$session" "$work/$mode.facts" "$uid" "$@"
    grep -q "^done	$mode\$" "$work/$mode.facts" || fail "the Ardour script ($mode) did not finish"
}

echo "ardour test: new session, stereo track, plug-in inserted"
run_session create "$seconds"
python3 "$here/check.py" identity "$work/create.facts"
python3 "$here/check.py" signal "$work/create.facts"
# The peak files still describe the silent carrier; Ardour rebuilds them.
rm -rf "$session/peaks"/*

echo "ardour test: rendering through programs 0 and 8 and an edit, saving"
run_session render "$seconds" "$edited_cutoff"
python3 "$here/check.py" render "$work/render.facts" "$session/kivtest.ardour"

echo "ardour test: closing and reopening the session"
run_session reopen "$seconds"
python3 "$here/check.py" reopen "$work/render.facts" "$work/reopen.facts" "$session/reopened.ardour"

elapsed_ms=$(( ($(date +%s%N) - started_ns) / 1000000 ))
printf 'ardour test: passed in %d.%01d s\n' $((elapsed_ms / 1000)) $((elapsed_ms % 1000 / 100))
