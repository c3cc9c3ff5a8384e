# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the -posix
# variants, whose runtime carries std::thread and std::mutex).  Programs built
# here run under Wine through scripts/wine-run.sh, in a Wine prefix of their
# own next to the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(STATS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STATS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STATS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${STATS_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STATS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# build/win64 runs its programs in build/wine64-prefix, created on first use.
get_filename_component(_stats_build_parent "${CMAKE_BINARY_DIR}" DIRECTORY)
set(STATS_WINEPREFIX "${_stats_build_parent}/wine64-prefix" CACHE PATH
  "Wine prefix in which the 64-bit programs run")
set(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;--arch;win64;--prefix;${STATS_WINEPREFIX}")
