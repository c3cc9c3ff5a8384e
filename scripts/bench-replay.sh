#!/usr/bin/env bash
# Times stats-replay end to end on made-up ADIF logs of 100 000 and
# 1 000 000 QSOs against the I/O floor (bench/io_floor: reading the log and
# writing a journal and a Cabrillo log each of the log's size, synced and
# renamed as the plug-in does), and shows the replay's peak memory
# (/usr/bin/time -f %M) beside the log's size.  The replay scores the log
# with its Cabrillo log (--cabrillo) and the station details of
# examples/settings.  Each is run three times (STATS_BENCH_RUNS), the replay
# and the floor in turn, and the shortest time of each counts: other work on
# the machine only ever adds time.  The peak memory is the largest of the
# replay's runs.
#
#   bash scripts/bench-replay.sh [BUILD-FOLDER] [COUNT ...]
#
# The build folder (default build/linux) must hold stats-replay, Stats.so,
# loggen and io_floor (ninja -C build/linux stats-replay loggen io_floor).
# The logs are made once in build/bench-replay/ and reused.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build=${1:-$STATS_BUILD/linux}
shift || true
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(100000 1000000)
for program in stats-replay loggen io_floor; do
  [[ -x $build/$program ]] || { echo "bench-replay.sh: $build/$program is missing" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "bench-replay.sh: /usr/bin/time is missing (package time)" >&2; exit 1; }

work=$STATS_BUILD/bench-replay
mkdir -p "$work"
# Seconds (wall clock) and peak resident kB of a command, its output dropped.
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    echo "bench-replay.sh: failed: $*" >&2
    cat "$work/stderr.txt" >&2
    exit 1
  }
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 ))e-3 $(cat "$work/time.txt")"
}

# The smaller of two times (the first when the second is empty).
shorter() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }

printf '%-9s %8s %9s %8s %7s %9s %10s\n' QSOs 'log MB' 'replay s' 'floor s' ratio 'peak MB' 'peak/log'
for count in "${counts[@]}"; do
  log=$work/log-$count.adi
  [[ -f $log ]] || "$build/loggen" "$count" "$log"
  log_bytes=$(stat -c %s "$log")
  cat "$log" >/dev/null  # the log in the page cache for both
  replay_s='' floor_s='' peak_kb=0
  for ((i = 0; i < ${STATS_BENCH_RUNS:-3}; i++)); do
    run=$work/run-$count
    rm -rf "$run" && mkdir -p "$run" && cp -r "$STATS_ROOT/examples/settings/." "$run/"
    read -r s kb < <(measure "$build/stats-replay" --cabrillo --dir "$run" "$log")
    ls "$run"/BadQSO_*.txt "$run"/*.cbr >/dev/null  # both were written
    replay_s=$(shorter "$s" "$replay_s")
    peak_kb=$(( kb > peak_kb ? kb : peak_kb ))
    read -r s _ < <(measure "$build/io_floor" "$log" "$work/floor-journal" "$log_bytes" \
      "$work/floor-cabrillo" "$log_bytes")
    floor_s=$(shorter "$s" "$floor_s")
  done
  awk -v n="$count" -v lb="$log_bytes" -v r="$replay_s" -v f="$floor_s" -v p="$peak_kb" 'BEGIN {
    printf "%-9d %8.1f %9.2f %8.2f %7.1f %9.1f %10.2f\n", n, lb / 1e6, r, f, r / f, p * 1024 / 1e6, p * 1024 / lb
  }'
done
