# Shared by the project's scripts (sourced, not run): the checkout's root,
# the build folders, a headless display for Wine, and a clean-up that leaves
# no Wine or Xvfb process behind, pass or fail.

STATS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
STATS_BUILD=$STATS_ROOT/build
# Parallel jobs for ninja and ctest; the default suits a small shared machine.
STATS_JOBS=${STATS_JOBS:-2}

stats_log() { printf '== %s\n' "$*"; }

_stats_xvfb_pid=
_stats_display_file=

# Starts one Xvfb for everything this script runs under Wine and exports its
# DISPLAY.  Xvfb picks a free display number itself (-displayfd), so several
# checkouts may test at once.
stats_start_display() {
  [[ -z $_stats_xvfb_pid ]] || return 0
  _stats_display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$_stats_display_file" \
    >/dev/null 2>&1 &
  _stats_xvfb_pid=$!
  local display=
  for _ in $(seq 100); do
    display=$(tr -dc 0-9 <"$_stats_display_file")
    [[ -n $display ]] && break
    kill -0 "$_stats_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -z $display ]]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$display
}

# Makes both Wine prefixes (when they are new) in the background, while the
# code builds; stats_wait_prefixes waits for them.
_stats_prefix_job=
stats_start_prefixes() {
  mkdir -p "$STATS_BUILD"
  (
    "$STATS_ROOT/scripts/wine-run.sh" --arch win32 --prefix "$STATS_BUILD/wine32-prefix" --init &&
      "$STATS_ROOT/scripts/wine-run.sh" --arch win64 --prefix "$STATS_BUILD/wine64-prefix" --init
  ) >"$STATS_BUILD/wine-prefixes.log" 2>&1 &
  _stats_prefix_job=$!
}
stats_wait_prefixes() {
  [[ -n $_stats_prefix_job ]] || return 0
  local status=0
  wait "$_stats_prefix_job" || status=$?
  _stats_prefix_job=
  if [[ $status -ne 0 ]]; then
    echo "making the Wine prefixes failed:" >&2
    cat "$STATS_BUILD/wine-prefixes.log" >&2
  fi
  return $status
}

# Ends the Wine sessions of this checkout's prefixes, then the display.
stats_cleanup() {
  local prefix
  if [[ -n $_stats_prefix_job ]]; then
    kill "$_stats_prefix_job" 2>/dev/null || true
    wait "$_stats_prefix_job" 2>/dev/null || true
    _stats_prefix_job=
  fi
  for prefix in "$STATS_BUILD"/wine32-prefix "$STATS_BUILD"/wine64-prefix; do
    [[ -d $prefix ]] || continue
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix timeout 30 wineserver -w >/dev/null 2>&1 || true
  done
  if [[ -n $_stats_xvfb_pid ]]; then
    kill "$_stats_xvfb_pid" 2>/dev/null || true
    wait "$_stats_xvfb_pid" 2>/dev/null || true
    _stats_xvfb_pid=
  fi
  [[ -z $_stats_display_file ]] || rm -f "$_stats_display_file"
  _stats_display_file=
}

# Runs the clean-up when the script ends, however it ends.
stats_trap_cleanup() {
  trap 'status=$?; stats_cleanup; exit $status' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
