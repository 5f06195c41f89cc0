#!/usr/bin/env bash
# Plays the whole sample production as a capture under a private Xvfb: with a sanitized player, every
# effect of every scene runs once with AddressSanitizer and UndefinedBehaviorSanitizer watching.
# Without anisotropic filtering: on a software renderer it makes small pictures take seconds a frame
# inside the driver, which the sanitizers do not watch.
# Usage: play_production.sh PLAYER PRODUCTION_DIR
set -u
player=$1 production=$2
skip() {
  if [[ -n ${CI:-} && ${CI} != 0 && ${CI} != false ]]; then echo "$1 (CI is set: this test must run)"; exit 1; fi
  echo "skipped: $1"; exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-play-XXXXXX")
exec 3> >(cat > "$work/display")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || skip "Xvfb cannot be started"
DISPLAY=:$(head -n1 "$work/display") SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$player" --capture --fps 2 --mode 160x120 --anisotropy 0 --windowed --no-music --batch --data "$production" \
  --output "$work/frames" 2> "$work/err"
status=$?
grep -v '^frame ' "$work/err"
exit $status
