#!/usr/bin/env bash
# The benchmark of stats-crosscheck on simulated UBA contests (contest-sim):
#
#   bench-crosscheck.sh [BUILD] [LOGS [MEAN_QSOS]]    default: build/linux 300 150
#
# Generates the contest once (build/bench-crosscheck/<LOGS>x<MEAN_QSOS>/),
# checks it with the time of each step (read, match, bust search, score,
# write) and the peak memory, and scores the verdicts against the truth.
# The plug-in writes its files in a folder in memory when there is one
# (/dev/shm): its files are flushed to the disk on every result.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/linux}
logs=${2:-300}
qsos=${3:-150}
ninja -C "$build" stats-crosscheck contest-sim >/dev/null
dir=$root/build/bench-crosscheck/${logs}x${qsos}
if [[ ! -f $dir/truth.tsv ]]; then
  echo "== generate $logs logs of $qsos QSOs on average"
  "$build/contest-sim" generate --logs "$logs" --qsos "$qsos" --seed 1 --out "$dir"
fi
work=$dir/work
if [[ -d /dev/shm && -w /dev/shm ]]; then work=$(mktemp -d /dev/shm/bench-crosscheck.XXXXXX); fi
out=$dir/out
rm -rf "$out"
echo "== check"
measure=()
if [[ -x /usr/bin/time ]]; then measure=(/usr/bin/time -f "wall %e s, peak memory %M kB"); fi
"${measure[@]}" "$build/stats-crosscheck" --timings --work "$work" "$dir/logs" --out "$out"
rm -rf "$work"
echo "== score against the truth"
"$build/contest-sim" score --truth "$dir/truth.tsv" --verdicts "$out/verdicts.tsv" \
  --results "$out/results.csv" --logs "$dir/logs"
