#!/usr/bin/env bash
# A capture split into spans of the timeline that render side by side through GNU parallel, on this
# machine or on several (--sshlogin), joined into the frames, the soundtrack and the video a single
# capture writes. Spans start on whole seconds, where every frame rate's clock has a frame, and each
# player catches its effects up to its span's start, so the frames are those of one long capture.
#
#   capture-parallel.sh --data DIR --output DIR [--fps N] [--span SECONDS] [--from SECONDS]
#                       [--to SECONDS] [--jobs N] [--sshlogin LOGINS] [--video FILE]
#                       [--velmora PATH] [-- PLAYER OPTIONS...]
#
# --from and --to bound the capture (default: the whole timeline); --span is each job's length
# (default 10 s); --jobs and --sshlogin go to parallel as they are. With --sshlogin every machine
# must see the player, DIR and the output folder under the same paths (a shared file system); jobs
# without a display run under xvfb-run. Options after -- go to every player (--mode, --anisotropy...).
set -euo pipefail

usage() { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
velmora=${VELMORA:-$here/../build/velmora}
data= output= video= fps=25 span=10 from=0 to= jobs= sshlogin=
extra=()
while (($#)); do
  case $1 in
    --data) data=$2; shift 2 ;;
    --output) output=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --span) span=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --sshlogin) sshlogin=$2; shift 2 ;;
    --video) video=$2; shift 2 ;;
    --velmora) velmora=$2; shift 2 ;;
    --) shift; extra=("$@"); break ;;
    *) usage ;;
  esac
done
[[ -n $data && -n $output ]] || usage
for n in "$fps" "$span" "$from" ${to:+"$to"}; do [[ $n =~ ^[0-9]+$ ]] || usage; done
((span > 0 && fps > 0)) || usage
command -v parallel >/dev/null || { echo "capture-parallel: GNU parallel is needed" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "capture-parallel: ffmpeg is needed" >&2; exit 1; }

abs() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }
velmora=$(abs "$velmora")
data=$(cd "$data" && pwd)
mkdir -p "$output"
output=$(cd "$output" && pwd)

# The timeline's end, for a capture that runs to it: the player's own schedule says where it is.
if [[ -z $to ]]; then
  end_ms=$("$(dirname "$velmora")/demotool" timeline "$data/demo.dat" |
    awk '$1 == "header" { for (i = 2; i < NF; ++i) if ($i == "end") print $(i + 1); exit }')
  [[ $end_ms =~ ^[0-9]+$ ]] || { echo "capture-parallel: no end in the timeline of $data" >&2; exit 1; }
  last=$(( (end_ms + 999) / 1000 ))
else
  last=$to
fi
((from < last)) || { echo "capture-parallel: nothing between $from s and $last s" >&2; exit 1; }

work=$output/.spans
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# One line per span: its number, its start in ms and its frame count; the last span of a capture to
# the timeline's end has no count and stops where the single capture stops.
spans=$work/spans.txt
: >"$spans"
k=0
for ((s = from; s < last; s += span)); do
  length=$(( s + span < last ? span : last - s ))
  frames=$(( length * fps ))
  if [[ -z $to && $((s + span)) -ge $last ]]; then frames=0; fi
  printf '%05d %d %d\n' "$k" $((s * 1000)) "$frames" >>"$spans"
  k=$((k + 1))
done

# Each job's command line. The container of the parts follows the video's codec (VP9 for .webm).
ext=mkv
[[ ${video,,} == *.webm ]] && ext=webm
wrap=
if [[ -n $sshlogin || -z ${DISPLAY:-} ]]; then wrap='xvfb-run -a -s "-screen 0 1280x1024x24"'; fi
job="$wrap $(printf '%q' "$velmora") --data $(printf '%q' "$data") --capture --no-setup --fps $fps"
job+=" --start {2} --output $(printf '%q' "$work")/{1}"
[[ -n $video ]] && job+=" --video $(printf '%q' "$work")/{1}.$ext"
for option in "${extra[@]}"; do job+=" $(printf '%q' "$option")"; done
# --frames 0 is not an option: the last span of a whole-timeline capture leaves it out.
job+=' $( [ {3} -gt 0 ] && echo --frames {3} )'

parallel_options=(--colsep ' ' --halt now,fail=1)
[[ -n $jobs ]] && parallel_options+=(--jobs "$jobs")
[[ -n $sshlogin ]] && parallel_options+=(--sshlogin "$sshlogin")
parallel "${parallel_options[@]}" "$job" :::: "$spans"

# The frames, renumbered in span order; every span but an open last one has all its frames.
n=0
while read -r id start frames; do
  count=0
  for f in "$work/$id"/demo[0-9][0-9][0-9][0-9][0-9].bmp; do
    [[ -e $f ]] || continue
    mv "$f" "$(printf '%s/demo%05d.bmp' "$output" "$n")"
    n=$((n + 1)) count=$((count + 1))
  done
  if ((frames > 0 && count != frames)); then
    echo "capture-parallel: the span from $start ms wrote $count frames, not $frames" >&2
    exit 1
  fi
done <"$spans"

# The soundtrack and the video through ffmpeg's concat demuxer, in span order.
concat() {  # suffix output...
  local suffix=$1 list=$work/$1.txt
  shift
  : >"$list"
  while read -r id _; do printf "file '%s'\n" "$work/$id$suffix" >>"$list"; done <"$spans"
  ffmpeg -hide_banner -nostats -loglevel error -y -f concat -safe 0 -i "$list" "$@"
}
if [[ -e $work/00000/demo.wav ]]; then
  concat /demo.wav -c copy -bitexact "$output/demo.wav"
fi
if [[ -n $video ]]; then
  audio=(-c:a aac -b:a 192k)
  [[ $ext == webm ]] && audio=(-c:a libopus -b:a 160k)
  if [[ -e $output/demo.wav ]]; then
    concat ".$ext" -i "$output/demo.wav" -map 0:v -map 1:a -c:v copy "${audio[@]}" "$video"
  else
    concat ".$ext" -map 0:v -c:v copy "$video"
  fi
fi
echo "capture-parallel: $n frames from $(wc -l <"$spans") spans in $output" >&2
