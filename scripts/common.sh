# Shared by the project's scripts (sourced, not run): the checkout's root,
# the build folders, a headless display for Wine, and a clean-up that leaves
# no Wine or Xvfb process behind, pass or fail.

STATS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
STATS_BUILD=$STATS_ROOT/build
# Parallel jobs for ninja and ctest; the default suits a small shared machine.
STATS_JOBS=${STATS_JOBS:-2}

stats_log() { printf '== %s\n' "$*"; }

# The Wine programs are called by their own paths, never through Debian's
# "wine" wrapper: the wrapper prefers the 32-bit loader whenever wine32 is
# installed, and that loader cannot start where the kernel refuses 32-bit
# programs, not even for a 64-bit prefix.  The 64-bit wineserver serves both
# kinds of prefix.
stats_wine_loader() {
  local loader
  case $1 in
    win32) loader=/usr/lib/wine/wine ;;
    win64) loader=/usr/lib/wine/wine64 ;;
  esac
  if [[ -x $loader ]]; then echo "$loader"; else command -v wine; fi
}
if [[ -x /usr/lib/wine/wineserver64 ]]; then
  export WINESERVER=/usr/lib/wine/wineserver64
elif [[ -z ${WINESERVER:-} ]]; then
  WINESERVER=$(command -v wineserver || echo wineserver)
  export WINESERVER
fi

# Whether this machine runs 32-bit x86 programs.  Some kernels refuse them
# ("Exec format error"): there the 32-bit Wine cannot start, so the 32-bit
# DLL is built and checked but not run.  Decided once per run: the answer is
# exported as STATS_WIN32_RUN (0 or 1) for every script and test started
# from here, and a value set beforehand forces it.
stats_probe_win32() {
  case ${STATS_WIN32_RUN:-} in
    0 | 1) export STATS_WIN32_RUN; return 0 ;;
    '') ;;
    *) echo "STATS_WIN32_RUN must be 0 or 1, not '$STATS_WIN32_RUN'" >&2; return 2 ;;
  esac
  # The smallest i386 Linux program: one ELF header, one program header and
  # "mov eax,1; xor ebx,ebx; int 0x80" (exit 0).  No 32-bit library needed,
  # so it asks only the kernel.
  local probe
  probe=$(mktemp "${TMPDIR:-/tmp}/stats-i386-probe.XXXXXX")
  printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  if "$probe" >/dev/null 2>&1; then
    STATS_WIN32_RUN=1
  else
    STATS_WIN32_RUN=0
  fi
  rm -f "$probe"
  export STATS_WIN32_RUN
}

# The one line that says why the 32-bit programs are not run here.
stats_win32_not_run_reason() {
  if [[ -n ${STATS_WIN32_UNAVAILABLE:-} ]]; then
    echo "not run: $STATS_WIN32_UNAVAILABLE"
  elif [[ ${STATS_WIN32_FORCED:-} == 1 ]]; then
    echo "not run: STATS_WIN32_RUN=0 was set"
  else
    echo "not run: this machine cannot run 32-bit programs"
  fi
}

# After scripts/setup.sh: where the 32-bit Wine could not be installed, the
# 32-bit programs are not run, whatever the machine could run.
stats_after_setup() {
  local marker=$STATS_BUILD/win32-not-installable
  if [[ $STATS_WIN32_RUN == 1 && -f $marker ]]; then
    STATS_WIN32_RUN=0
    STATS_WIN32_UNAVAILABLE=$(cat "$marker")
    export STATS_WIN32_RUN STATS_WIN32_UNAVAILABLE
  fi
}

# Remember whether the answer was forced, before the probe exports its own.
if [[ -z ${STATS_WIN32_FORCED:-} ]]; then
  if [[ -n ${STATS_WIN32_RUN:-} ]]; then STATS_WIN32_FORCED=1; else STATS_WIN32_FORCED=0; fi
  export STATS_WIN32_FORCED
fi

_stats_xvfb_pid=
_stats_display_file=

# Starts one Xvfb for everything this script runs under Wine and exports its
# DISPLAY: the one starter of the project's scripts, whatever DISPLAY was
# before.  Xvfb picks a free display number itself (-displayfd), so several
# checkouts may test at once.  The optional argument names the script in the
# message when Xvfb does not start.  stats_stop_display (or stats_cleanup)
# stops it.
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
    echo "${1:+$1: }Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$display
}

# Stops the Xvfb of stats_start_display, if it runs.
stats_stop_display() {
  if [[ -n $_stats_xvfb_pid ]]; then
    kill "$_stats_xvfb_pid" 2>/dev/null || true
    wait "$_stats_xvfb_pid" 2>/dev/null || true
    _stats_xvfb_pid=
  fi
  [[ -z $_stats_display_file ]] || rm -f "$_stats_display_file"
  _stats_display_file=
}

# Makes the Wine prefixes of the given architectures (when they are new) in
# the background, while the code builds; stats_wait_prefixes waits for them.
#   stats_start_prefixes win32 win64
_stats_prefix_job=
stats_start_prefixes() {
  mkdir -p "$STATS_BUILD"
  local arches=("$@")
  [[ ${#arches[@]} -gt 0 ]] || arches=(win64)
  (
    for arch in "${arches[@]}"; do
      "$STATS_ROOT/scripts/wine-run.sh" --arch "$arch" --prefix "$STATS_BUILD/wine${arch#win}-prefix" \
        --init || exit 1
    done
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

# Runs a command in the background in a process group of its own, ended
# with all its children by stats_cleanup unless it ended before.  Its
# process ID is in STATS_BACKGROUND_PID.
_stats_background=()
stats_background() {
  setsid "$@" &
  STATS_BACKGROUND_PID=$!
  _stats_background+=("$STATS_BACKGROUND_PID")
}

# Ends the background jobs, the Wine sessions of this checkout's prefixes,
# then the display.
stats_cleanup() {
  local prefix pid
  for pid in ${_stats_background[@]+"${_stats_background[@]}"}; do
    kill -- "-$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  _stats_background=()
  if [[ -n $_stats_prefix_job ]]; then
    kill "$_stats_prefix_job" 2>/dev/null || true
    wait "$_stats_prefix_job" 2>/dev/null || true
    _stats_prefix_job=
  fi
  for prefix in "$STATS_BUILD"/wine32-prefix "$STATS_BUILD"/wine64-prefix; do
    [[ -d $prefix ]] || continue
    WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix timeout 30 "$WINESERVER" -w >/dev/null 2>&1 || true
  done
  stats_stop_display
}

# Runs the clean-up when the script ends, however it ends.
stats_trap_cleanup() {
  trap 'status=$?; stats_cleanup; exit $status' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
