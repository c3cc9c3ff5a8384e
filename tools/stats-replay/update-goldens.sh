#!/bin/sh
# Rewrites the golden files of the stats-replay end-to-end tests
# (examples/golden/) from the program and plug-in of a Linux build.
#
#   tools/stats-replay/update-goldens.sh [BUILD_DIR]     (default build/linux)
#
# Review the changes with git diff before committing them.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/linux}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
if [ ! -x "$build/stats-replay" ]; then
  echo "update-goldens: no $build/stats-replay; build first (ninja -C $build)" >&2
  exit 1
fi
cases=$(sed -n 's/^set(replay_cases \(.*\))$/\1/p' "$root/tests/tools/replay_cases.cmake")
for c in $cases; do
  cmake -DPROGRAM="$build/stats-replay" -DEXAMPLES="$root/examples" -DCASE="$c" \
    -DWORK="$build/tests/tools/replay/$c" -DUPDATE=1 -P "$root/tests/tools/replay_e2e.cmake"
done
