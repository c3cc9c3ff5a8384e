#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in a Wine prefix of
# the project's own.  CMake uses it as the cross-compiling emulator, so CTest
# runs the Windows tests through it.
#
#   wine-run.sh [--arch win32|win64] [--prefix DIR] program.exe [arguments...]
#   wine-run.sh [--arch win32|win64] [--prefix DIR] --init    (only the prefix)
#
# The prefix (default: build/wine32-prefix or build/wine64-prefix of this
# checkout) is created on first use and reused afterwards; creation is locked,
# so parallel first runs wait for one another.  When DISPLAY is set (the
# project's scripts start one shared Xvfb) the program uses it; otherwise this
# script starts an Xvfb of its own for the run and stops it afterwards,
# together with the prefix's wineserver.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/common.sh"
arch=win32
prefix=
init_only=
while [[ $# -gt 0 ]]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --init) init_only=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [[ $# -lt 1 && -z $init_only ]]; then
  echo "usage: wine-run.sh [--arch win32|win64] [--prefix DIR] program [arguments...]" >&2
  exit 2
fi
case $arch in
  win32) bits=32 ;;
  win64) bits=64 ;;
  *) echo "wine-run.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
if [[ $arch == win32 ]]; then
  stats_probe_win32
  if [[ $STATS_WIN32_RUN != 1 ]]; then
    echo "wine-run.sh: 32-bit Windows programs $(stats_win32_not_run_reason)" >&2
    exit 77
  fi
fi
loader=$(stats_wine_loader "$arch")
# Programs that Wine starts itself use the same loader.
export WINELOADER=$loader
[[ -n $prefix ]] || prefix="$here/../build/wine$bits-prefix"
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix
export WINEARCH=$arch
export WINEDEBUG=-all
# No Mono or Gecko download prompts, no menu entries on the desktop, and no
# debugger started on a crash: it would wait for ever, attached to the
# program; without it a crash ends the program with a failure at once.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

cleanup() {
  if [[ -n $_stats_xvfb_pid ]]; then
    # The prefix's wineserver and desktop process hold on to this display:
    # wait until they are gone (they end a few seconds after the last
    # program), then stop the display.
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  stats_stop_display
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ -z ${DISPLAY:-} ]]; then
  stats_start_display wine-run.sh || exit 1
fi

# The prefix, created once; the mark tells a finished prefix from one whose
# creation was cut short.
if [[ ! -f $prefix/.stats-ready ]]; then
  exec {lock}>"$prefix.lock"
  flock "$lock"
  if [[ ! -f $prefix/.stats-ready ]]; then
    echo "wine-run.sh: creating the Wine prefix $prefix" >&2
    "$loader" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$prefix/.stats-ready"
  fi
  flock -u "$lock"
fi

[[ -z $init_only ]] || exit 0

# In the background, so that a signal (CTest's time-out, Ctrl-C) ends the
# program at once; its standard input stays the script's.
"$loader" "$@" <&0 &
program=$!
trap 'kill "$program" 2>/dev/null; exit 143' TERM
trap 'kill "$program" 2>/dev/null; exit 130' INT
status=0
wait "$program" || status=$?
exit $status
