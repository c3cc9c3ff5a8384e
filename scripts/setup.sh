#!/usr/bin/env bash
# Installs what a job needs from Debian's packages, when something is
# missing.  As root it installs; otherwise it prints the one command to run
# and fails.
#
#   setup.sh [run|test|release|screenshots]     (default: test)
#
#   run          the main job: the Linux build (with its benchmarks: Google
#                Benchmark, and time for scripts/bench-replay.sh), one
#                mingw-w64 compiler and one Wine (32-bit where this machine
#                runs 32-bit programs, 64-bit elsewhere), Xvfb, the country
#                file
#   test         every build and every test: both mingw-w64 compilers, the
#                64-bit Wine and, where 32-bit programs run, the 32-bit one,
#                clang for the fuzz targets, and what the install test of
#                the release zips needs (as for release)
#   release      scripts/release.sh: both mingw-w64 compilers, the country
#                file, cmark-gfm for the operator's guide, zip
#   screenshots  what the test job needs, and the tools that take pictures
#                (Chromium for the picture of results.html)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stats_probe_win32

job=${1:-test}
packages=(cmake ninja-build g++ googletest libbenchmark-dev time xvfb hamradio-files wine64)
# What scripts/release.sh needs besides the compilers.
release_packages=(cmark-gfm zip)
case $job in
  run)
    if [[ $STATS_WIN32_RUN == 1 ]]; then
      packages+=(g++-mingw-w64-i686-posix wine32:i386)
    else
      packages+=(g++-mingw-w64-x86-64-posix)
    fi
    ;;
  test | screenshots)
    packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix clang libclang-rt-14-dev)
    [[ $STATS_WIN32_RUN != 1 ]] || packages+=(wine32:i386)
    [[ $job != screenshots ]] || packages+=(imagemagick xdotool chromium)
    packages+=("${release_packages[@]}" unzip)
    ;;
  release)
    packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix "${release_packages[@]}")
    ;;
  *) echo "setup.sh: unknown job $job (run, test, release, screenshots)" >&2; exit 2 ;;
esac

# Set when the 32-bit Wine could not be installed (see below); a later run
# that finds it installed takes it away again.
win32_marker=$STATS_BUILD/win32-not-installable

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  rm -f "$win32_marker"
  exit 0
fi

need_i386=
if [[ " ${missing[*]} " == *" wine32:i386 "* ]] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
fi

# Wine's recommended packages come along: its X11 extensions and fonts are
# what the windows and the dialogs are drawn with.
install=(apt-get install -y)
if [[ $(id -u) -ne 0 ]]; then
  command="apt-get update && DEBIAN_FRONTEND=noninteractive ${install[*]} ${missing[*]}"
  [[ -z $need_i386 ]] || command="dpkg --add-architecture i386 && $command"
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:" >&2
  echo "  sudo sh -c '$command'" >&2
  exit 1
fi

stats_log "installing: ${missing[*]}"
[[ -z $need_i386 ]] || dpkg --add-architecture i386
# A mirror in the middle of a sync refuses some of its package lists; the
# lists it did give (and those of an earlier update) still serve.
apt-get update -qq || stats_log "apt-get update failed in part: installing from the package lists at hand"
if DEBIAN_FRONTEND=noninteractive "${install[@]}" -qq "${missing[@]}" >/dev/null; then
  rm -f "$win32_marker"
  exit 0
fi
# The i386 packages lag behind the amd64 ones while a mirror syncs, and the
# 32-bit Wine cannot be installed beside them.  Everything else is still
# installed, the 32-bit programs are built and checked without being run
# (as on a machine that runs no 32-bit program; scripts/common.sh reads the
# mark), and the run says so.
[[ " ${missing[*]} " == *" wine32:i386 "* ]] || exit 1
rest=()
for package in "${missing[@]}"; do
  [[ $package == wine32:i386 ]] || rest+=("$package")
done
# The main job then compares the 64-bit DLL, which needs its compiler.
[[ $job != run ]] || rest+=(g++-mingw-w64-x86-64-posix)
DEBIAN_FRONTEND=noninteractive "${install[@]}" -qq "${rest[@]}" >/dev/null
mkdir -p "$STATS_BUILD"
echo "Debian's 32-bit Wine (wine32:i386) could not be installed" >"$win32_marker"
stats_log "$(cat "$win32_marker"): the 32-bit programs are built and checked, not run"
