#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (with AddressSanitizer
# and UndefinedBehaviorSanitizer) in build/fuzz and runs them:
#
#   fuzz.sh [SECONDS] [TARGET...]    each target for SECONDS (default 60)
#
# Targets: exports (sequences of export calls into the plug-in, in-process,
# without windows), logs (the log readers of stats-replay) and contests (the
# contest definition reader of stats-crosscheck).  Each starts
# from its seed corpus in tests/fuzz/corpus/<target>/ and keeps what it finds
# in build/fuzz/corpus/<target>/; a crash is saved in build/fuzz/artifacts/
# and ends the script with status 1.  Copy an input worth keeping into the
# seed corpus, where every test run replays it (tests fuzz_*_corpus).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-60}
# The plug-in's files go to a scratch folder in memory when there is one.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=${TMPDIR:-/dev/shm}; fi
[[ $seconds =~ ^[0-9]+$ ]] || { echo "fuzz.sh: SECONDS must be a number" >&2; exit 2; }
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(exports logs contests)
for t in "${targets[@]}"; do
  [[ $t == exports || $t == logs || $t == contests ]] || { echo "fuzz.sh: unknown target $t (exports, logs, contests)" >&2; exit 2; }
done

clang=$(command -v clang++-14 || command -v clang++ || true)
[[ -n $clang ]] || { echo "fuzz.sh: no clang++ (Debian: clang-14 libclang-rt-14-dev)" >&2; exit 1; }

dir=$STATS_BUILD/fuzz
mkdir -p "$STATS_BUILD"
if [[ ! -f $dir/build.ninja ]]; then
  stats_log "configure fuzz"
  cmake -S "$STATS_ROOT" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$clang" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_SANITIZE=address,undefined -DSTATS_FUZZ=ON \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >"$STATS_BUILD/configure-fuzz.log" 2>&1 || {
    cat "$STATS_BUILD/configure-fuzz.log" >&2
    exit 1
  }
fi
stats_log "build fuzz"
ninja -C "$dir" -j "$STATS_JOBS" "${targets[@]/#/fuzz_}" 2>&1 | tee "$dir/build.log" |
  grep -v '^\[[0-9]*/[0-9]*\] ' || true
[[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "build fuzz failed" >&2; exit 1; }

status=0
mkdir -p "$dir/artifacts"
for t in "${targets[@]}"; do
  seeds=$STATS_ROOT/tests/fuzz/corpus/$t
  corpus=$dir/corpus/$t
  mkdir -p "$corpus"
  case $t in
    exports) max_len=4096 ;;
    logs) max_len=16384 ;;
    contests) max_len=4096 ;;
  esac
  stats_log "fuzz $t for $seconds s"
  log=$dir/$t.log
  # The plug-in keeps its contest state for the life of the process.
  if ASAN_OPTIONS=detect_leaks=0 "$dir/tests/fuzz/fuzz_$t" "$corpus" "$seeds" \
      -dict="$STATS_ROOT/tests/fuzz/$t.dict" -max_total_time="$seconds" -max_len="$max_len" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/artifacts/$t-" >"$log" 2>&1; then
    :
  else
    status=1
    echo "fuzz $t: failure, see $log and $dir/artifacts/" >&2
    grep -m 20 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" >&2 || true
  fi
  # One line of figures: "fuzz exports: 1234 inputs, 56789 export calls".
  inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  calls=$(sed -n 's/^export calls made: *//p' "$log" | tail -1)
  echo "fuzz $t: ${inputs:-?} inputs${calls:+, $calls export calls}"
done
exit $status
