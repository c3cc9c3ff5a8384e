#!/usr/bin/env bash
# Writes the golden files of stats-crosscheck's end-to-end tests again
# (tests/crosscheck/golden/<case>/), from build/linux.  Look at the change
# with git diff before committing it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/linux}
ninja -C "$build" stats-crosscheck contest-sim >/dev/null
for case in sim-small lz-open; do
  cmake -DCROSSCHECK="$build/stats-crosscheck" -DSIM="$build/contest-sim" -DCASE=$case \
    -DWORK="$build/tests/crosscheck/e2e/$case" -DGOLDEN="$root/tests/crosscheck/golden/$case" \
    -DLOGS="$root/../shared/crosscheck/lz-open-2017/logs" -DUPDATE=1 \
    -P "$root/tests/crosscheck/crosscheck_e2e.cmake"
done
