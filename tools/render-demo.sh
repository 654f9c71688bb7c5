#!/usr/bin/env bash
# Builds the plug-in and kiv-render, renders the built-in demo loop through every factory
# program into out/demo/ (one WAV per program, named after it) and draws one overview
# figure of all programs there. The build folder is build/, or $KIV_BUILD_DIR (relative to
# the checkout) for a developer who keeps a tree of their own.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${KIV_BUILD_DIR:-build}"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target KivFilter_VST kiv-render -j"$(nproc)"

render="$(cd "$build" && pwd)/tools/kiv-render/kiv-render"
out="$root/out/demo"
mkdir -p "$out"

# File names: the program's number and name, with characters that file systems or shells
# treat specially replaced and runs of spaces folded into one.
safe_name() {
    printf '%s' "$1" | sed -e 's#[/\\:*?"<>|]#-#g' -e 's/[[:cntrl:]]//g' \
        -e 's/[[:space:]][[:space:]]*/ /g' -e 's/^ //' -e 's/ $//'
}

programs="$("$render" --list-programs)"
written=()

while IFS=$'\t' read -r index name; do
    [ -n "$index" ] || continue
    file="$out/$(printf '%02d' "$index") $(safe_name "$name").wav"
    "$render" --program "$index" -o "$file" > /dev/null
    written+=("$file")
done <<< "$programs"

"$render" --plot-overview "$out/overview.png" > /dev/null

echo "render-demo: the demo through each of the ${#written[@]} programs:"
for file in "${written[@]}"; do
    echo "  ${file#"$root/"}"
done
echo "render-demo: overview of all programs: ${out#"$root/"}/overview.png"
