#!/bin/bash
# Frames per second of every scene of the sample production: the player captures 100 frames at
# 640 x 480 from the scene's first clip; the rate is taken between the first and the last frame file
# written, so loading and warm-up are left out. Usage: bench/frame_rate.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
production="$build/production"
frames=100
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The first clip-list node of each scene, in timeline order.
"$build/demotool" timeline "$production/demo.dat" |
    awk '$1 == "clip" && $4 != "-" && !seen[$4]++ { print $4, $2 }' > "$work/scenes"

printf '%-12s %8s %8s\n' scene start_ms fps
while read -r scene start; do
    out="$work/$scene"
    mkdir -p "$out"
    "$build/velmora" --capture --frames "$frames" --start "$start" --mode 640x480 --windowed --no-music \
        --batch --data "$production" --output "$out" > /dev/null 2> "$work/err" || {
        echo "$scene: the player failed:" >&2; cat "$work/err" >&2; continue; }
    first=$(stat -c '%.9Y' "$out/demo00000.bmp")
    last=$(stat -c '%.9Y' "$out/$(printf 'demo%05d.bmp' $((frames - 1)))")
    awk -v s="$scene" -v t="$start" -v a="$first" -v b="$last" -v n="$frames" \
        'BEGIN { printf "%-12s %8d %8.1f\n", s, t, (n - 1) / (b - a) }'
    rm -rf "$out"
done < "$work/scenes"
