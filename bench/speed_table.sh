#!/bin/bash
# The player's speed on this machine in one table: start to first frame at 640 x 480 (Mesa's shader
# cache warm, cold, and with all drawing discarded by GALLIUM_NOOP=1), the frame rate of every scene
# on the renderer (bench/frame_rate.sh) and the player's own work a frame, and the slowest frame of the whole
# film at one frame a second at 320 x 240 and 640 x 480, the whole film at 160 x 120 against 320 x 240,
# and where the time of a frame goes, pass by pass (`velmora --pass-times`).
# Usage: bench/speed_table.sh [BUILD_DIR]; needs a display (DISPLAY) or xvfb-run. VELMORA_BENCH_OPTIONS
# adds player options to every run (for example "--anisotropy 16": a software renderer otherwise
# plays without anisotropic filtering).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
production="$build/production"
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-speed-XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"; fi
export SDL_AUDIODRIVER=dummy
# shellcheck disable=SC2206
play=("$build/velmora" --data "$production" --capture --windowed --no-music --batch ${VELMORA_BENCH_OPTIONS:-})

# Seconds from start to the end of the first frame.
startup() {
    local t0 t1
    t0=$(date +%s.%N)
    env "$@" "${play[@]}" --no-write --frames 1 --mode 640x480 > /dev/null 2>&1
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'
}

# The least of three starts: a start is never faster than the work it does.
leastOfThree() {
    for run in 1 2 3; do startup "$@"; echo; done | sort -n | head -1
}
cold=$(startup MESA_SHADER_CACHE_DIR="$work/cache")
warm=$(leastOfThree MESA_SHADER_CACHE_DIR="$work/cache")
noop=$(leastOfThree GALLIUM_NOOP=1)

bash "$here/frame_rate.sh" "$build" > "$work/rate"
# The player's own work: the whole film at 25 frames a second with drawing discarded and nothing
# written, each scene's milliseconds a frame as --frame-times counts them (each frame waited for once,
# at its end), the least of five runs. Mesa runs its discarding driver behind a thread of its own,
# which costs at every wait; the second column is the same without that thread (GALLIUM_THREAD=0),
# which llvmpipe does not have either. One run at a time, the two kinds taking turns: two players
# at once would share the cores.
for run in 1 2 3 4 5; do
    for threaded in 1 0; do
        env GALLIUM_NOOP=1 GALLIUM_THREAD=$threaded "${play[@]}" --no-write --frame-times --mode 640x480 \
            < /dev/null 2> /dev/null | tail -n +2 | awk -v t=$threaded '{ print t, $1, $3 }'
    done
done > "$work/runs"
least() {
    awk -v t="$1" '$1 == t { if (!($2 in best) || $3 < best[$2]) best[$2] = $3 } END { for (s in best) print s, best[s] }' \
        "$work/runs" | sort
}
join <(least 1) <(least 0) |
    awk '{ printf "%s %.3f %.0f %.3f %.0f\n", $1, $2, ($2 > 0 ? 1000 / $2 : 0), $3, ($3 > 0 ? 1000 / $3 : 0) }' > "$work/own"

# The slowest frame of the film at one frame a second: the longest gap between two frame files.
slowest() {
    rm -rf "$work/film" && mkdir -p "$work/film"
    "${play[@]}" --fps 1 --mode "$1" --output "$work/film" > /dev/null 2>&1
    find "$work/film" -name 'demo*.bmp' -printf '%T@ %f\n' | sort -k2 | awk '
        NR > 1 && $1 - last > worst { worst = $1 - last; name = $2 }
        { last = $1 }
        END { n = substr(name, 5, 5) + 0; printf "%.2f s (at %d:%02d)", worst, int(n / 60), n % 60 }'
}
slowest320=$(slowest 320x240)
slowest640=$(slowest 640x480)
# Every scene's milliseconds a frame over the film at one frame a second, small against twice as large.
"${play[@]}" --no-write --pass-times --fps 1 --mode 160x120 2> /dev/null | tail -n +2 | awk '{ print $1, $3 }' |
    sort > "$work/small"
"${play[@]}" --no-write --pass-times --fps 1 --mode 320x240 2> /dev/null | tail -n +2 | awk '{ print $1, $3 }' |
    sort > "$work/large"
"${play[@]}" --no-write --pass-times --fps 2 --mode 640x480 2> /dev/null > "$work/passes"

echo "Velmora speed, $(date -u +%Y-%m-%d), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "start to first frame, seconds (warm and discarded: the least of three starts)"
printf '%-26s %8s\n' "  shader cache warm" "$warm" "  shader cache cold" "$cold" "  drawing discarded" "$noop"
# Frames per second from the wall clock and from the player's CPU time (steadier on a busy machine),
# both writing the frames; the player's own work with drawing discarded and nothing written.
printf '%-10s %9s %9s %9s %12s %9s %14s\n' scene start_ms fps cpu_fps own_ms/frame own_fps "unthreaded_ms"
join <(tail -n +2 "$work/rate" | sort) <(sort "$work/own") |
    sort -k2 -n | awk '{ printf "%-10s %9d %9.1f %9s %12.3f %9d %14.3f\n", $1, $2, $3, $4, $5, $6, $7 }'
echo "slowest frame of the film (1 fps): $slowest320 at 320x240, $slowest640 at 640x480"
echo "milliseconds a frame of each scene over the film at 1 fps, 160x120 against 320x240:"
join "$work/small" "$work/large" |
    awk '{ printf "  %-10s %8.2f %8.2f%s\n", $1, $2, $3, ($2 > $3 ? "  (small slower)" : "") }'
echo "where a frame's time goes at 640x480 (2 frames a second of the film, each pass waited for):"
cat "$work/passes"
