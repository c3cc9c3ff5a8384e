#!/usr/bin/env bash
# Retakes the pictures of the four operator windows in docs/: the test host
# opens them side by side under Wine on a display of their own (Xvfb), with
# a few QSOs logged and a worked call typed in the host, and each window is
# cut out of a picture of the whole screen.
#
#   screenshots.sh [build folder]     (default: build/win32; built already)
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
root=$STATS_ROOT
build=$(cd "${1:-$root/build/win32}" && pwd)
for file in testhost.exe Stats.dll; do
  if [[ ! -f $build/$file ]]; then
    echo "screenshots.sh: $build/$file is missing; build the Windows programs first" >&2
    exit 1
  fi
done
arch=win32
if grep -q 'x86_64' "$build/CMakeCache.txt" 2>/dev/null; then arch=win64; fi
prefix=$root/build/wine${arch#win}-prefix

# The caption buttons are drawn with the Marlett font; a prefix without it
# shows letters in their place.  Wine's own copy goes into the prefix's
# fonts folder (the prefix is made on the first run).
if [[ ! -f $prefix/drive_c/windows/Fonts/marlett.ttf ]]; then
  "$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" --init
  marlett=
  for candidate in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf \
    /usr/lib/x86_64-linux-gnu/wine/fonts/marlett.ttf /usr/lib/i386-linux-gnu/wine/fonts/marlett.ttf; do
    if [[ -f $candidate ]]; then marlett=$candidate; break; fi
  done
  if [[ -z $marlett ]]; then
    echo "screenshots.sh: Wine's marlett.ttf is missing (package wine)" >&2
    exit 1
  fi
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp "$marlett" "$prefix/drive_c/windows/Fonts/marlett.ttf"
fi

show=
work=$build/testhost/screenshots
cleanup() {
  [[ ! -d $work/windows-show ]] || touch "$work/windows-show/done"
  [[ -z $show ]] || wait "$show" 2>/dev/null || true
  WINEPREFIX=$prefix timeout 30 wineserver -w >/dev/null 2>&1 || true
  stats_stop_display
}
trap cleanup EXIT
# A display of its own, whatever DISPLAY was.
stats_start_display screenshots.sh

rm -rf "$work"
mkdir -p "$work"
cd "$work"
"$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" "$build/testhost.exe" windows-show \
  "$build/Stats.dll" &
show=$!
for _ in $(seq 600); do
  [[ -f $work/windows-show/ready ]] && break
  kill -0 "$show" 2>/dev/null || { echo "screenshots.sh: the test host ended early" >&2; exit 1; }
  sleep 0.1
done
[[ -f $work/windows-show/ready ]] || { echo "screenshots.sh: the windows did not open" >&2; exit 1; }
# Let the last paints reach the screen.
sleep 1
import -window root "$work/screen.png"

mkdir -p "$root/docs"
shoot() {
  local title=$1 file=$2 id
  id=$(xdotool search --name "$title" | head -1)
  if [[ -z $id ]]; then
    echo "screenshots.sh: no window \"$title\"" >&2
    exit 1
  fi
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$id")"
  convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$root/docs/$file"
  echo "docs/$file: $title (${WIDTH}x${HEIGHT})"
}
shoot '^Setup UBA-PSK63-PFX' setup-window.png
shoot 'worked with' previous-qso-window.png
shoot 'UBA Section worked' section-window.png
shoot 'Prefix worked on' prefix-window.png
