#!/usr/bin/env bash
# Takes docs/crosscheck-results.png, the picture of stats-crosscheck's
# results.html: a small simulated contest (the one of the end-to-end test,
# 24 logs) is checked and its results page drawn by headless Chromium
# (setup.sh screenshots installs it).
#
#   screenshot-results.sh [build folder]     (default: build/linux; built already)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build=$(cd "${1:-$STATS_ROOT/build/linux}" && pwd)
for program in stats-crosscheck contest-sim; do
  if [[ ! -x $build/$program ]]; then
    echo "screenshot-results.sh: $build/$program is missing; build it first" >&2
    exit 1
  fi
done
browser=$(command -v chromium || true)
if [[ -z $browser ]]; then
  echo "screenshot-results.sh: chromium is missing (bash scripts/setup.sh screenshots)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/contest-sim" generate --logs 24 --seed 10 --qsos 70 --out "$work/sim" >/dev/null
"$build/stats-crosscheck" "$work/sim/logs" --out "$work/out" 2>/dev/null
out=$STATS_ROOT/docs/crosscheck-results.png
# Root runs it without the sandbox; a profile of its own keeps the user's
# away, and the picture is written into the work folder first.
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --user-data-dir="$work/profile" --window-size=880,720 \
  --screenshot="$work/results.png" "file://$work/out/results.html" >/dev/null 2>&1
[[ -s $work/results.png ]] || { echo "screenshot-results.sh: chromium drew no picture" >&2; exit 1; }
mv "$work/results.png" "$out"
echo "wrote $out"
