#!/usr/bin/env bash
# Takes docs/cabrillo-form.png, the screenshot of the Cabrillo header form:
# the 32-bit test host runs its Cabrillo scenario under Xvfb and holds the
# filled-in form open while the screen is grabbed and cut to the form.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# A Wine prefix of its own: no window manager runs under Xvfb, so Wine is
# told to draw the window frames itself, with the caption buttons' font.
prefix=$STATS_BUILD/wine32-shots-prefix
work=$STATS_BUILD/screenshots/cabrillo
out=$STATS_ROOT/docs/cabrillo-form.png
host_pid=
cleanup() {
  [[ -z $host_pid ]] || wait "$host_pid" 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  stats_cleanup
}
trap 'status=$?; cleanup; exit $status' EXIT

bash "$STATS_ROOT/scripts/build.sh" win32
stats_start_display
run=("$STATS_ROOT/scripts/wine-run.sh" --arch win32 --prefix "$prefix")
if [[ ! -f $prefix/.stats-shots ]]; then
  "${run[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  fonts=$prefix/drive_c/windows/Fonts
  for font in /usr/share/wine/fonts/marlett.ttf /usr/share/fonts/wine/marlett.ttf; do
    [[ -f $font ]] && cp "$font" "$fonts/" && break
  done
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.stats-shots"
fi

rm -rf "$work" && mkdir -p "$work"
log=$work/testhost.log
(cd "$work" && exec "${run[@]}" "$STATS_BUILD/win32/testhost.exe" cabrillo \
  "$STATS_BUILD/win32/Stats.dll" hold=6000 >"$log" 2>&1) &
host_pid=$!
for _ in $(seq 300); do
  grep -q 'form open' "$log" 2>/dev/null && break
  kill -0 "$host_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q 'form open' "$log" || { cat "$log" >&2; echo "the form did not open" >&2; exit 1; }
sleep 1
window=$(xdotool search --name '^UBA-PSK63-PREFIX$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/screen.png"
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
wait "$host_pid"
host_pid=
cat "$log"
stats_log "wrote $out (${WIDTH}x${HEIGHT})"
