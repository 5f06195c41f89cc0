#!/usr/bin/env bash
# What a capture spends on reading frames back, writing them and encoding the sound: the same 640x480
# capture of the sample production rendered only (--no-write), written as BMP files with demo.wav, and
# encoded into a video. Two figures a run: the player's summary (wall time from the first frame to the
# end of its files, loading excluded) and the CPU time of the whole run with its ffmpeg children (the
# loading costs the same in every run, so the differences are the capture's own; on a busy machine the
# CPU figures are the steadier).
# usage: bench/capture_speed.sh [BUILD_DIR] [FRAMES] [START]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
frames=${2:-250}
start=${3:-0}
data=$build/production
[ -f "$data/demo.dat" ] || { echo "no production in $data: build it first" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run() {  # name, extra options...; prints "wall cpu"
    local name=$1
    shift
    xvfb-run -a -s "-screen 0 1024x768x24" env SDL_AUDIODRIVER=dummy /usr/bin/time -f "cpu %U %S" -o "$scratch/cpu" \
        "$build/velmora" --data "$data" --capture --mode 640x480 --frames "$frames" --start "$start" "$@" \
        2>"$scratch/err" || { cat "$scratch/err" >&2; exit 1; }
    local line wall cpu
    line=$(grep '^velmora: captured' "$scratch/err" | tail -1)
    wall=$(sed -E 's/.* in ([0-9.]+) s.*/\1/' <<<"$line")
    cpu=$(awk '/^cpu/ {print $2 + $3}' "$scratch/cpu")
    printf '%-8s %s; CPU of the whole run %.2f s\n' "$name" "$line" "$cpu" >&2
    echo "$wall $cpu"
}

read -r renderWall renderCpu < <(run render --no-write)
read -r bmpWall bmpCpu < <(run bmp+wav --output "$scratch/frames")
read -r videoWall videoCpu < <(run video --video "$scratch/demo.mkv")
awk -v rw="$renderWall" -v rc="$renderCpu" -v bw="$bmpWall" -v bc="$bmpCpu" -v vw="$videoWall" -v vc="$videoCpu" \
    -v n="$frames" 'BEGIN {
    printf "%d frames at 640x480, capture wall time (CPU time added to the rendering-only run)\n", n
    printf "  rendering only:        %6.2f s\n", rw
    printf "  BMP files + demo.wav:  %6.2f s (+%.2f s CPU), %.1f %% spent reading back, writing, encoding sound\n", bw, bc - rc, 100 * (bw - rw) / bw
    printf "  video through ffmpeg:  %6.2f s (+%.2f s CPU), %.1f %% spent reading back, encoding, joining\n", vw, vc - rc, 100 * (vw - rw) / vw
}'
