#!/usr/bin/env bash
# Refreshes docs/editor.png: the editor of a freshly loaded plug-in (its default program),
# opened in a real X window by the host test and captured from the screen.
# Usage: tools/artgen/editor-screenshot.sh [build folder, default: build]
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"

cmake --build "$build" --target kiv_host_tests -j "$(nproc)"
export KIV_SCREENSHOT_OUT="$root/docs/editor.png"
run=(ctest --test-dir "$build" -R '^EditorWindowTest\.OpensAtItsSizeAndShowsTheArtwork$'
     --output-on-failure)
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"
else
    "${run[@]}"
fi
echo "wrote $KIV_SCREENSHOT_OUT"
