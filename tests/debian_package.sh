#!/usr/bin/env bash
# The Debian package as a user gets it: built, checked by lintian, installed with apt-get, one frame of
# the installed sample captured by the installed player, and removed again. It changes the system, so
# it runs only when CI is set (`make test` calls it last).
# Usage: debian_package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
if [[ -z ${CI:-} || ${CI} == 0 || ${CI} == false ]]; then
  echo "Debian package test: skipped (it installs into the system; it runs when CI is set)"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo -n"; else SUDO=; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-deb-XXXXXX")
# Tools' chatter goes to a log, shown when a step fails.
fail() { cat "$work/log" 2>/dev/null; echo "Debian package test: $1"; exit 1; }
xvfb= installed=
cleanup() {
  [[ -n $xvfb ]] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }
  [[ -n $installed ]] && { DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq velmora >/dev/null 2>&1 || true; }
  rm -rf "$work"
}
trap cleanup EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/velmora_${version}_amd64.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$work/log" 2>&1) || fail "cpack failed"
[[ -f $deb ]] || fail "cpack wrote no $deb"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/log" 2>&1 || fail "lintian reports errors"
else
  fail "lintian is not installed (scripts/install-deps.sh installs it)"
fi

installed=1
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$deb" >"$work/log" 2>&1 || fail "apt-get install failed"
[[ $(/usr/bin/velmora --version) == "velmora $version"* ]] || fail "the installed player prints another version"
[[ -f /usr/share/man/man6/velmora.6.gz && -f /usr/share/man/man1/demotool.1.gz ]] || fail "manual pages missing"

exec 3> >(cat > "$work/display")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb cannot be started"
(cd "$work" && DISPLAY=:$(head -n1 display) SDL_AUDIODRIVER=dummy /usr/bin/velmora --capture --frames 1 --fps 1 \
  --mode 160x120 --no-music --data /usr/share/velmora --output frames 2> err) || { cat "$work/err"; fail "capture failed"; }
[[ -s $work/frames/demo00000.bmp ]] || fail "the installed player wrote no frame"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq velmora >"$work/log" 2>&1 || fail "apt-get remove failed"
installed=
[[ ! -e /usr/bin/velmora && ! -e /usr/share/velmora/demo.dat ]] || fail "files are left after the removal"
echo "Debian package test: velmora_${version}_amd64.deb passes lintian, installs, captures a frame and is removed"
