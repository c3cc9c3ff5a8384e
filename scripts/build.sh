#!/usr/bin/env bash
# Configures (once) and builds the project's build folders:
#   build/linux  native g++             build/win32  i686 mingw-w64 (Stats.dll)
#   build/asan   native, ASan + UBSan   build/win64  x86_64 mingw-w64 (Stats.dll)
#   build/tsan   native, ThreadSanitizer, the operator windows' tests (their
#                own and those through the exports) and the log check's
#                (its logs are read in parallel)
#
#   build.sh [linux|asan|win32|win64|tsan ...]     (default: the first four)
#
# A build may name the targets it needs, e.g. linux:stats-replay; the default
# is everything.  Every build treats compiler warnings as errors
# (STATS_WERROR), so a warning fails this and every later run alike.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

builds=("$@")
[[ ${#builds[@]} -gt 0 ]] || builds=(linux asan win32 win64)

mkdir -p "$STATS_BUILD"
toolchains=$STATS_ROOT/cmake
for entry in "${builds[@]}"; do
  build=${entry%%:*}
  options=(-DSTATS_WERROR=ON)
  targets=()
  if [[ $entry == *:* ]]; then
    IFS=, read -r -a targets <<<"${entry#*:}"
  fi
  case $build in
    linux) ;;
    # Unoptimised: the sanitizers see the code as written, and it builds fast.
    asan) options+=(-DSTATS_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug) ;;
    # The DLLs as shipped: optimised, without debug information.
    win32) options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchains/toolchain-i686-w64-mingw32.cmake"
      -DCMAKE_BUILD_TYPE=Release) ;;
    win64) options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchains/toolchain-x86_64-w64-mingw32.cmake"
      -DCMAKE_BUILD_TYPE=Release) ;;
    # The window thread and the host's thread share the contest data: their
    # tests run once more under ThreadSanitizer.
    tsan) options+=(-DSTATS_SANITIZE=thread); [[ ${#targets[@]} -gt 0 ]] || targets=(ui_tests plugin_windows_tests crosscheck_tests) ;;
    *) echo "build.sh: unknown build $build (linux, asan, win32, win64, tsan)" >&2; exit 2 ;;
  esac
  dir=$STATS_BUILD/$build
  # A folder configured before keeps its settings; CMake reconfigures itself
  # when a CMakeLists.txt changes.  One configured before warnings became
  # errors is configured again.
  if [[ ! -f $dir/build.ninja ]] || ! grep -q '^STATS_WERROR:BOOL=ON$' "$dir/CMakeCache.txt"; then
    stats_log "configure $build"
    log=$STATS_BUILD/configure-$build.log
    cmake -S "$STATS_ROOT" -B "$dir" -G Ninja "${options[@]}" >"$log" 2>&1 || {
      cat "$log" >&2
      exit 1
    }
  fi
  stats_log "build $build"
  log=$STATS_BUILD/build-$build.log
  # Progress lines stay in the log; messages are shown.
  set +e
  ninja -C "$dir" -j "$STATS_JOBS" ${targets[@]+"${targets[@]}"} 2>&1 | tee "$log" | grep -v '^\[[0-9]*/[0-9]*\] '
  status=${PIPESTATUS[0]}
  set -e
  [[ $status -eq 0 ]] || { echo "build $build failed" >&2; exit 1; }
done
