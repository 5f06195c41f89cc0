#!/bin/bash
# Frames per second of every scene of the sample production: the player captures 100 frames at
# 640 x 480 from the scene's first clip. Loading and warm-up are left out: the wall-clock rate is
# taken between the first and the last frame file written, the CPU rate from the player's CPU time
# (all its threads) between the same two frames, which a busy machine disturbs less.
# Usage: bench/frame_rate.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
production="$build/production"
frames=100
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench-XXXXXX")
player=0
trap '[ "$player" != 0 ] && kill "$player" 2>/dev/null; rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)

frameFile() { printf '%s/demo%05d.bmp' "$1" "$2"; }
# User plus system time of a process in clock ticks.
cpuTicks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo -1; }
waitFor() {
    while [ ! -e "$1" ]; do
        kill -0 "$player" 2>/dev/null || return 1
        sleep 0.01
    done
}

# The first clip-list node of each scene, in timeline order.
"$build/demotool" timeline "$production/demo.dat" |
    awk '$1 == "clip" && $4 != "-" && !seen[$4]++ { print $4, $2 }' > "$work/scenes"

printf '%-10s %8s %9s %8s\n' scene start_ms wall_fps cpu_fps
while read -r scene start; do
    out="$work/$scene"
    mkdir -p "$out"
    # Ten frames more than measured, so that the player is still running when the last one appears.
    "$build/velmora" --capture --frames $((frames + 10)) --start "$start" --mode 640x480 --windowed --no-music \
        --batch --data "$production" --output "$out" > /dev/null 2> "$work/err" &
    player=$!
    if ! waitFor "$(frameFile "$out" 0)"; then
        echo "$scene: the player failed:" >&2; cat "$work/err" >&2; player=0; continue
    fi
    cpu0=$(cpuTicks "$player")
    waitFor "$(frameFile "$out" "$frames")" || true
    cpu1=$(cpuTicks "$player")
    wait "$player" || true
    player=0
    first=$(stat -c '%.9Y' "$(frameFile "$out" 0)")
    last=$(stat -c '%.9Y' "$(frameFile "$out" "$frames")")
    awk -v s="$scene" -v t="$start" -v a="$first" -v b="$last" -v n="$frames" -v c0="$cpu0" -v c1="$cpu1" \
        -v hz="$ticks" 'BEGIN {
            cpu = (c0 >= 0 && c1 > c0) ? sprintf("%8.1f", n * hz / (c1 - c0)) : "       -"
            printf "%-10s %8d %9.1f %s\n", s, t, n / (b - a), cpu }'
    rm -rf "$out"
done < "$work/scenes"
