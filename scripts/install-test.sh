#!/usr/bin/env bash
# The install test of the release zips, from the builds at hand (nothing is
# built here: build/linux, build/win32 and build/win64 must hold the
# plug-in, stats-replay and, for the architectures run, testhost.exe).
#
#   install-test.sh [win32|win64 ...]     (default: both)
#
# - The zips are made twice (scripts/release.sh --no-build) and must be the
#   same bytes.
# - Each zip is unpacked into a fresh folder, and SHA256SUMS checks there.
# - A host's folder gets the zip's Stats.dll as Plugins\Stats.dll and
#   nothing else; the test host, started in that folder as a host is, loads
#   Plugins\Stats.dll and scores examples/sample.adi (its score scenario).
# - The zip's stats-replay.exe, in the unpacked folder with only the zip's
#   files beside it, scores the same log.
# Both must give the Linux result (build/linux/stats-replay) byte for byte,
# and leave the same bad-QSO journal and settings file.
# The 32-bit zip is run only where 32-bit programs run (scripts/common.sh);
# elsewhere it is packaged and its sums checked, and a line says why it was
# not run.  Ends with one line per architecture and exits non-zero on any
# failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_probe_win32
stats_after_setup
# Run on its own, without scripts/setup.sh before it: a machine that runs
# 32-bit programs may still lack the 32-bit Wine.
if [[ $STATS_WIN32_RUN == 1 && ! -x /usr/lib/wine/wine ]]; then
  STATS_WIN32_RUN=0
  STATS_WIN32_UNAVAILABLE="Debian's 32-bit Wine (wine32:i386) is not installed"
fi

arches=("$@")
[[ ${#arches[@]} -gt 0 ]] || arches=(win32 win64)
sample=$STATS_ROOT/examples/sample.adi
work=$STATS_BUILD/install-test
rm -rf "$work"
mkdir -p "$work"
failed=()
summaries=()

arch_ok=1
fail() { echo "install test: $*" >&2; failed+=("$*"); arch_ok=0; }

# The Linux result, as stats-replay prints it for the sample log.
linux_replay=$STATS_BUILD/linux/stats-replay
if [[ ! -x $linux_replay ]]; then
  echo "install test: $linux_replay is missing: build it first (scripts/build.sh linux:stats-replay)" >&2
  exit 1
fi
mkdir -p "$work/linux/files"
(cd "$work/linux/files" && "$linux_replay" "$sample" >"$work/expected.txt" 2>"$work/linux/stderr") || {
  cat "$work/linux/stderr" >&2
  echo "install test: the Linux stats-replay failed on the sample log" >&2
  exit 1
}

# Whether a run left the files that the Linux run left (the bad-QSO journal
# and the settings file), each with the same bytes; names those that differ.
files_differ() {
  local file differ=()
  while read -r file; do
    cmp -s "$work/linux/files/$file" "$1/$file" || differ+=("$file")
  done < <(cd "$work/linux/files" && find . -type f | sed 's|^\./||' | sort)
  [[ ${#differ[@]} -gt 0 ]] || return 1
  echo "${differ[*]}"
}

# Packaged twice, without building.
stats_log "install test: package ${arches[*]} twice"
for round in 1 2; do
  bash "$STATS_ROOT/scripts/release.sh" --no-build --out "$work/dist$round" "${arches[@]}" \
    >"$work/release$round.log" 2>&1 || {
    cat "$work/release$round.log" >&2
    echo "install test: scripts/release.sh --no-build failed" >&2
    exit 1
  }
done

for arch in "${arches[@]}"; do
  arch_ok=1
  zip_file=$(cd "$work/dist1" && ls Stats-*-"$arch".zip)
  name=${zip_file%.zip}
  if ! cmp -s "$work/dist1/$zip_file" "$work/dist2/$zip_file"; then
    fail "$arch: $zip_file differs when made twice"
  fi
  unpacked=$work/$arch/unpacked
  mkdir -p "$unpacked"
  unzip -q "$work/dist1/$zip_file" -d "$unpacked"
  folder=$unpacked/$name
  if ! (cd "$folder" && sha256sum --quiet -c SHA256SUMS); then
    fail "$arch: SHA256SUMS does not check in the unpacked $name/"
  fi

  if [[ $arch == win32 && $STATS_WIN32_RUN != 1 ]]; then
    summaries+=("install test win32: packaged twice alike, sums checked; the test host and stats-replay.exe $(stats_win32_not_run_reason)")
    continue
  fi
  stats_log "install test $arch: the test host and stats-replay.exe from the unpacked $zip_file"
  run=("$STATS_ROOT/scripts/wine-run.sh" --arch "$arch" --prefix "$STATS_BUILD/wine${arch#win}-prefix")

  # A host's folder with the plug-in in Plugins\, the host started there.
  host=$work/$arch/host
  mkdir -p "$host/Plugins"
  cp "$folder/Stats.dll" "$host/Plugins/Stats.dll"
  if ! (cd "$host" && "${run[@]}" "$STATS_BUILD/$arch/testhost.exe" score 'Plugins\Stats.dll' \
    "$sample" "$folder/cty.dat" "$work/$arch/testhost-result.txt") >"$work/$arch/testhost.log" 2>&1; then
    cat "$work/$arch/testhost.log" >&2
    fail "$arch: the test host could not score the sample log with Plugins\\Stats.dll"
  elif ! cmp -s "$work/expected.txt" "$work/$arch/testhost-result.txt"; then
    diff "$work/expected.txt" "$work/$arch/testhost-result.txt" | head -20 >&2 || true
    fail "$arch: the test host's result differs from the Linux result"
  elif differ=$(files_differ "$host"); then
    fail "$arch: the test host's run left other files than the Linux run: $differ"
  fi

  # The zip's stats-replay.exe beside the zip's Stats.dll, working in a
  # folder of its own.
  replay_dir=$work/$arch/replay
  mkdir -p "$replay_dir"
  # It finds the zip's cty.dat beside itself.
  if ! (cd "$replay_dir" && "${run[@]}" "$folder/stats-replay.exe" "$sample") \
    >"$work/$arch/replay-result.txt" 2>"$work/$arch/replay.log"; then
    cat "$work/$arch/replay.log" >&2
    fail "$arch: the zip's stats-replay.exe failed on the sample log"
  elif ! cmp -s "$work/expected.txt" "$work/$arch/replay-result.txt"; then
    diff "$work/expected.txt" "$work/$arch/replay-result.txt" | head -20 >&2 || true
    fail "$arch: the zip's stats-replay.exe gives another result than the Linux one"
  elif differ=$(files_differ "$replay_dir"); then
    fail "$arch: the zip's stats-replay.exe left other files than the Linux run: $differ"
  fi
  if [[ $arch_ok == 1 ]]; then
    summaries+=("install test $arch: packaged twice alike, sums checked, test host and stats-replay.exe give the Linux result and files")
  else
    summaries+=("install test $arch: FAILED")
  fi
done

printf '%s\n' "${summaries[@]}"
[[ ${#failed[@]} -eq 0 ]]
