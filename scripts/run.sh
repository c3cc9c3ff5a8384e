#!/usr/bin/env bash
# The main job: set up, build the three builds (build/linux/Stats.so,
# build/win32/Stats.dll, build/win64/Stats.dll) and run the Windows smoke
# scenario under Wine against both DLLs, the way a logging host loads them.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_trap_cleanup

bash "$STATS_ROOT/scripts/setup.sh"
stats_start_display
stats_start_prefixes
bash "$STATS_ROOT/scripts/build.sh" linux win32 win64
stats_wait_prefixes
status=0
for build in win32 win64; do
  stats_log "smoke scenario, $build/Stats.dll under Wine"
  work=$STATS_BUILD/run/$build
  mkdir -p "$work"
  (cd "$work" && "$STATS_ROOT/scripts/wine-run.sh" --arch "$build" \
    --prefix "$STATS_BUILD/wine${build#win}-prefix" \
    "$STATS_BUILD/$build/testhost.exe" smoke "$STATS_BUILD/$build/Stats.dll") || status=1
done
exit $status
