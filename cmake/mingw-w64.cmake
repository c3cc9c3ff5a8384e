# What the two mingw-w64 toolchain files share.  They set STATS_MINGW_TRIPLE,
# STATS_WINE_ARCH (win32 or win64) and CMAKE_SYSTEM_PROCESSOR, then include
# this file.  The -posix compiler variants are used: their runtime carries
# std::thread and std::mutex.  Programs built here run under Wine through
# scripts/wine-run.sh, in a Wine prefix of their own next to the build folder.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${STATS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STATS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${STATS_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STATS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# build/win32 runs its programs in build/wine32-prefix, build/win64 in
# build/wine64-prefix, each created on first use.
string(REPLACE "win" "wine" _stats_prefix_name "${STATS_WINE_ARCH}")
get_filename_component(_stats_build_parent "${CMAKE_BINARY_DIR}" DIRECTORY)
set(STATS_WINEPREFIX "${_stats_build_parent}/${_stats_prefix_name}-prefix" CACHE PATH
  "Wine prefix in which the ${STATS_WINE_ARCH} programs run")
set(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;--arch;${STATS_WINE_ARCH};--prefix;${STATS_WINEPREFIX}")

# No link time in the PE headers (the file header's and the export
# directory's time stamps): the same sources link to the same bytes.
foreach(_stats_kind EXE SHARED MODULE)
  set(CMAKE_${_stats_kind}_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
endforeach()
