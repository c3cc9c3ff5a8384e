#!/usr/bin/env bash
# The main job: set up, build the three builds (build/linux/Stats.so,
# build/win32/Stats.dll, build/win64/Stats.dll) and score the sample contest
# log through the plug-in the way a host does, with stats-replay: natively,
# then with the 32-bit Windows program and DLL under Wine, which must print
# the very same result.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_trap_cleanup

bash "$STATS_ROOT/scripts/setup.sh"
stats_start_display
stats_start_prefixes
bash "$STATS_ROOT/scripts/build.sh" linux win32 win64
stats_wait_prefixes

sample=$STATS_ROOT/examples/sample.adi
work=$STATS_BUILD/run
rm -rf "$work"
mkdir -p "$work/linux" "$work/win32"

stats_log "the sample log through build/linux/Stats.so"
"$STATS_BUILD/linux/stats-replay" --dir "$work/linux" "$sample" | tee "$work/linux.txt"
echo "(journal and settings in $work/linux)"

stats_log "the same log through build/win32/Stats.dll under Wine"
(cd "$work/win32" && "$STATS_ROOT/scripts/wine-run.sh" --arch win32 \
  --prefix "$STATS_BUILD/wine32-prefix" "$STATS_BUILD/win32/stats-replay.exe" \
  --dir "$work/win32" "$sample") >"$work/win32.txt"
if cmp -s "$work/linux.txt" "$work/win32.txt"; then
  echo "build/win32/Stats.dll gives the same result, byte for byte"
else
  diff "$work/linux.txt" "$work/win32.txt" || true
  echo "build/win32/Stats.dll gives another result" >&2
  exit 1
fi
