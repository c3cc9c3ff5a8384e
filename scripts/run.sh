#!/usr/bin/env bash
# The main job: set up, build the plug-in and the command-line host for Linux
# (build/linux/Stats.so) and for Windows (build/win32/Stats.dll, or
# build/win64/Stats.dll where this machine cannot run 32-bit programs), and
# score the sample contest log through the plug-in the way a host does, with
# stats-replay: natively, then with the Windows program and DLL under Wine,
# which must print the very same result.  Only what this needs is installed
# and built; scripts/test.sh builds and runs everything else.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_trap_cleanup
stats_probe_win32

bash "$STATS_ROOT/scripts/setup.sh" run
stats_after_setup
if [[ $STATS_WIN32_RUN == 1 ]]; then
  arch=win32
else
  arch=win64
  stats_log "the 64-bit DLL is compared: the 32-bit one is built by scripts/test.sh, $(stats_win32_not_run_reason)"
fi

stats_start_display
stats_start_prefixes "$arch"
bash "$STATS_ROOT/scripts/build.sh" linux:stats-replay "$arch:stats-replay"
stats_wait_prefixes

sample=$STATS_ROOT/examples/sample.adi
work=$STATS_BUILD/run
rm -rf "$work"
mkdir -p "$work/linux" "$work/$arch"

stats_log "the sample log through build/linux/Stats.so"
"$STATS_BUILD/linux/stats-replay" --dir "$work/linux" "$sample" | tee "$work/linux.txt"
echo "(journal in $work/linux)"

stats_log "the same log through build/$arch/Stats.dll under Wine"
(cd "$work/$arch" && "$STATS_ROOT/scripts/wine-run.sh" --arch "$arch" \
  --prefix "$STATS_BUILD/wine${arch#win}-prefix" "$STATS_BUILD/$arch/stats-replay.exe" \
  --dir "$work/$arch" "$sample") >"$work/$arch.txt"
if cmp -s "$work/linux.txt" "$work/$arch.txt"; then
  echo "build/$arch/Stats.dll gives the same result as build/linux/Stats.so, byte for byte"
else
  diff "$work/linux.txt" "$work/$arch.txt" || true
  echo "build/$arch/Stats.dll gives another result than build/linux/Stats.so" >&2
  exit 1
fi
