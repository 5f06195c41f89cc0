#!/usr/bin/env bash
# The fuzz harnesses of the file readers (built in BUILD_DIR by `make fuzz-build`).
#   run.sh BUILD_DIR run SECONDS [NAME...]   search for SECONDS per harness (or FUZZ_RUNS inputs, if sooner); what is found lands in
#                                            BUILD_DIR/fuzz-findings/NAME, new inputs in BUILD_DIR/fuzz-corpus/NAME
#   run.sh BUILD_DIR replay [NAME...]        every committed corpus input and regression input once
#   run.sh BUILD_DIR merge SOURCES [NAME...] minimises fuzz/corpus/NAME with SOURCES/NAME (for example
#                                            BUILD_DIR/fuzz-corpus) into a new fuzz/corpus/NAME
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 mode=$2
shift 2
seconds=60 seeds=
case $mode in
  run) seconds=$1; shift ;;
  merge) seeds=$1; shift ;;
  replay) ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
names=("$@")
if ((${#names[@]} == 0)); then
  names=(package words bmp tga jpeg timeline lwo lws envelope setup clip typing)
fi
# The memory bound every input must keep to, and the time one input may take.
limits=(-rss_limit_mb=256 -malloc_limit_mb=256 -timeout=1)
# A small quarantine, so that the resident size measures the reader rather than freed blocks kept
# for use-after-free detection (256 MiB by default).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
failed=0
for name in "${names[@]}"; do
  harness=$build/fuzz/fuzz_$name
  corpus=fuzz/corpus/$name
  regressions=fuzz/regressions/$name
  mkdir -p "$corpus"
  case $mode in
    run)
      work=$build/fuzz-corpus/$name findings=$build/fuzz-findings/$name
      mkdir -p "$work" "$findings"
      echo "== $name: $seconds s"
      dirs=("$work" "$corpus")
      [ -d "$regressions" ] && dirs+=("$regressions")
      nice -n 10 "$harness" "${limits[@]}" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" -dict="fuzz/dict/$name.dict" \
        -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$findings/" "${dirs[@]}" \
        2>&1 | grep -E '^(#|stat::|==|SUMMARY|artifact_prefix|Test unit written|INFO: Running with)' | tail -n 12 ||
        failed=1
      ;;
    replay)
      inputs=("$corpus"/*)
      [ -d "$regressions" ] && inputs+=("$regressions"/*)
      if ! "$harness" "${limits[@]}" -close_fd_mask=3 "${inputs[@]}" >"$build/fuzz-replay-$name.log" 2>&1; then
        echo "fuzz replay of $name failed: see $build/fuzz-replay-$name.log" >&2
        tail -n 30 "$build/fuzz-replay-$name.log" >&2
        failed=1
      else
        echo "fuzz replay: $name, ${#inputs[@]} inputs"
      fi
      ;;
    merge)
      # Edges only (no hit counts), so that the committed corpus stays small.
      merged=$(mktemp -d)
      sources=("$corpus")
      [ -d "$seeds/$name" ] && sources+=("$seeds/$name")
      nice -n 10 "$harness" "${limits[@]}" -merge=1 -use_counters=0 -close_fd_mask=3 "$merged" "${sources[@]}" 2>&1 |
        tail -n 1
      # Seeds taken whole from the production stay: their coverage is in the libraries, which the
      # edges do not count.
      cp "$corpus"/production_* "$merged"/ 2>/dev/null || true
      rm -rf "$corpus" && mkdir -p "$corpus" && cp "$merged"/* "$corpus"/ && rm -rf "$merged"
      echo "$name: $(ls "$corpus" | wc -l) inputs, $(du -sb "$corpus" | cut -f1) bytes"
      ;;
  esac
done
exit $failed
