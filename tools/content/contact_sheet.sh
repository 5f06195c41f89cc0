#!/bin/bash
# The sample production's contact sheet: the player captures one frame a second over the whole
# timeline at 160 x 120, and ffmpeg labels each with its time (m:ss), lays them out ten to a row and
# writes a 256-colour PNG. Runs on the display in DISPLAY, or on a private Xvfb when there is none.
# Usage: tools/content/contact_sheet.sh BUILD_DIR OUT.png
set -euo pipefail
build=$(cd "${1:?usage: contact_sheet.sh BUILD_DIR OUT.png}" && pwd)
out=${2:?usage: contact_sheet.sh BUILD_DIR OUT.png}
font=${VELMORA_FONT:-/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf}
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-sheet-XXXXXX")
trap 'rm -rf "$work"' EXIT

capture=("$build/velmora" --capture --fps 1 --mode 160x120 --windowed --no-music --batch
         --data "$build/production" --output "$work")
if [ -n "${DISPLAY:-}" ]; then
    "${capture[@]}" 2> "$work/player.log" || { cat "$work/player.log" >&2; exit 1; }
else
    xvfb-run -a -s "-screen 0 1024x768x24" "${capture[@]}" 2> "$work/player.log" ||
        { cat "$work/player.log" >&2; exit 1; }
fi

frames=$(find "$work" -name 'demo*.bmp' | wc -l)
rows=$(((frames + 9) / 10))
# Frame n shows second n. The tile filter writes the last, partly filled sheet at the end of input.
label="drawtext=fontfile=$font:text='%{eif\:trunc(n/60)\:d}\:%{eif\:mod(n\,60)\:d\:2}'"
label+=":x=3:y=3:fontsize=11:fontcolor=white:box=1:boxcolor=black@0.55:boxborderw=2"
mkdir -p "$(dirname "$out")"
ffmpeg -loglevel error -y -framerate 1 -i "$work/demo%05d.bmp" \
    -vf "$label,pad=iw+4:ih+4:2:2:black,tile=10x$rows,split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=none" \
    -frames:v 1 "$out"
echo "$out: $frames seconds"
