#!/usr/bin/env bash
# Every test: set up, build the five build folders, run the unit tests
# natively (plain, with ASan + UBSan, and the operator windows' tests with
# ThreadSanitizer) and under Wine (32 and 64 bit, together with the test
# host's scenarios against each Stats.dll), install the release zips and
# score the sample log from them, then check that each build passed
# the very same unit tests as the Linux build.  Beside the tests, on the
# cores the Wine tests leave idle, each fuzz target runs for 20 seconds.
# Where this machine cannot run 32-bit programs, the 32-bit Wine cannot be
# installed (scripts/setup.sh says so) or STATS_WIN32_RUN=0 is set, the
# 32-bit DLL is built and checked without running it, and its runtime tests
# are skipped.  Exits non-zero on
# any failure; ends with each suite's CTest summary line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_trap_cleanup
stats_probe_win32

bash "$STATS_ROOT/scripts/setup.sh" test
stats_after_setup
stats_start_display
if [[ $STATS_WIN32_RUN == 1 ]]; then
  stats_start_prefixes win32 win64
else
  stats_start_prefixes win64
fi
# Where the 32-bit programs do not run, the 32-bit build makes only what is
# checked without running it (the DLL and the probe of its calling
# convention) and what the release zip holds (the programs of
# scripts/release.sh); its tests would never run.
win32_build=win32
if [[ $STATS_WIN32_RUN != 1 ]]; then
  win32_build=win32:Stats,callee_cleanup_probe,stats-replay,stats-crosscheck
fi
bash "$STATS_ROOT/scripts/build.sh" linux asan "$win32_build" win64 tsan
stats_wait_prefixes
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

results=$STATS_BUILD/test-results
rm -rf "$results"
mkdir -p "$results"
failed=()
summaries=()

# A short fuzz run at a lower priority than the tests, once the native tests
# (some of which measure wall time) are done: it builds the fuzz targets
# with clang in build/fuzz and starts from the seed corpora.
fuzz_seconds=20
fuzz_pid=
start_fuzz() {
  stats_log "fuzz: each target for $fuzz_seconds s, in the background (log: $results/fuzz.log)"
  stats_background nice -n 10 bash "$STATS_ROOT/scripts/fuzz.sh" "$fuzz_seconds" \
    >"$results/fuzz.log" 2>&1
  fuzz_pid=$STATS_BACKGROUND_PID
}

ran=(linux asan win32 win64)
for build in linux asan win32 win64; do
  [[ $build != win32 ]] || start_fuzz
  mkdir -p "$results/$build"
  log=$results/$build.log
  if [[ $build == win32 && $STATS_WIN32_RUN != 1 ]]; then
    # Only the checks of the binary itself, which need no Wine.
    stats_log "ctest win32: the DLL's checks only; its runtime tests are skipped, $(stats_win32_not_run_reason)"
    set +e
    ctest --test-dir "$STATS_BUILD/win32" -L static --output-on-failure 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    set -e
    [[ $status -eq 0 ]] || failed+=("ctest win32 (checks of the DLL)")
    summaries+=("win32: built and checked, $(stats_win32_not_run_reason): $(grep -E 'tests passed|No tests were found' "$log" | tail -1)")
    ran=(linux asan win64)
    continue
  fi
  stats_log "ctest $build"
  # Each GoogleTest program also reports its cases, for the comparison below;
  # a Windows program sees the Unix root as drive Z:.
  xml_dir=$results/$build/
  [[ $build != win* ]] || xml_dir="Z:$xml_dir"
  set +e
  GTEST_OUTPUT="xml:$xml_dir" \
    ctest --test-dir "$STATS_BUILD/$build" --output-on-failure -j "$STATS_JOBS" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  [[ $status -eq 0 ]] || failed+=("ctest $build")
  summaries+=("$build: $(grep -E 'tests passed|No tests were found' "$log" | tail -1)")
done

# The release zips, made from the Windows builds above, installed as an
# operator installs them and run on the sample log (the 32-bit one where
# 32-bit programs run).
stats_log "install test of the release zips"
log=$results/install-test.log
set +e
bash "$STATS_ROOT/scripts/install-test.sh" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
[[ $status -eq 0 ]] || failed+=("install test")
while read -r line; do summaries+=("$line"); done < <(grep '^install test win' "$log")

# The operator windows' tests, their own and those through the exports, once
# more under ThreadSanitizer: the window thread reads what the host's thread
# changes.
stats_log "ctest tsan (operator windows, the log check's parallel reading)"
log=$results/tsan.log
set +e
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} \
  ctest --test-dir "$STATS_BUILD/tsan" -R '^(ui_tests|plugin_windows_tests|crosscheck_tests)$' --output-on-failure 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
[[ $status -eq 0 ]] || failed+=("ctest tsan")
summaries+=("tsan (ui_tests, plugin_windows_tests, crosscheck_tests): $(grep -E 'tests passed|No tests were found' "$log" | tail -1)")

stats_log "wait for the fuzz run"
set +e
wait "$fuzz_pid"
status=$?
set -e
_stats_background=()
if [[ $status -eq 0 ]]; then
  summaries+=("fuzz ($fuzz_seconds s per target): clean: $(grep -E '^fuzz [a-z]+: [0-9]' "$results/fuzz.log" |
    sed 's/^fuzz //' | paste -sd ';' | sed 's/;/; /g')")
else
  cat "$results/fuzz.log"
  failed+=("fuzz run")
  summaries+=("fuzz ($fuzz_seconds s per target): FAILED, see $results/fuzz.log")
fi

# One line per test case, "Suite.Name passed|failed|skipped", of a build.
cases_of() {
  local xml
  for xml in "$results/$1"/*.xml; do
    [[ -f $xml ]] || continue
    awk '
      function attr(line, key,   m) {
        if (match(line, " " key "=\"[^\"]*\"")) {
          m = substr(line, RSTART + length(key) + 3, RLENGTH - length(key) - 4)
          return m
        }
        return ""
      }
      function flush() { if (current != "") print current, state; current = "" }
      /<testcase / {
        flush()
        current = attr($0, "classname") "." attr($0, "name")
        state = attr($0, "result") == "skipped" ? "skipped" : "passed"
        if ($0 ~ /\/>[[:space:]]*$/) flush()
        next
      }
      /<failure/ { if (current != "") state = "failed" }
      /<\/testcase>/ { flush() }
      END { flush() }
    ' "$xml"
  done | sort
}

# A case may skip itself where the system lacks what it tests (it says why),
# and a few cases test what only POSIX has (FIFOs, dlopen): the comparison
# takes a skipped case as the Linux build's result, and leaves out the
# POSIX-only cases listed in tests/posix-only-cases.txt for the Windows builds.
comparable() {
  local build=$1
  if [[ $build == win* ]]; then
    grep -v -x -F -f <(sed -e '/^#/d' -e '/^$/d' "$STATS_ROOT/tests/posix-only-cases.txt")
  else
    cat
  fi
}
export LC_ALL=C
stats_log "compare the unit tests of each build with the Linux build"
cases_of linux >"$results/linux.cases"
if [[ ! -s $results/linux.cases ]]; then
  failed+=("no unit test results from the Linux build")
fi
for build in "${ran[@]}"; do
  [[ $build != linux ]] || continue
  cases_of "$build" >"$results/$build.cases"
  # A case the build skipped counts as what Linux made of it.
  join -a 1 -o 1.1,1.2,2.2 -e none <(awk '{print $1, $2}' "$results/$build.cases") \
    <(awk '{print $1, $2}' "$results/linux.cases") |
    awk '{ print $1, ($2 == "skipped" && $3 != "none") ? $3 : $2 }' >"$results/$build.compared"
  sed 's/ .*//' "$results/linux.cases" | comparable "$build" |
    join - "$results/linux.cases" >"$results/$build.expected"
  if ! diff -u "$results/$build.expected" "$results/$build.compared" >"$results/$build.diff"; then
    echo "$build differs from linux in its unit tests:"
    cat "$results/$build.diff"
    failed+=("unit tests of $build differ from linux")
  else
    echo "$build: the same $(wc -l <"$results/$build.expected") unit tests as linux, same results"
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo
  echo "FAILED: ${failed[*]}"
fi
echo
printf '%s\n' "${summaries[@]}"
[[ ${#failed[@]} -eq 0 ]]
