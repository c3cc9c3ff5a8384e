# Checks the direction of the layers over the product's sources:
#   cmake -DSTATS_ROOT=<source folder> -P cmake/check-layers.cmake
#
# rules/ and reports/ are functions of the data they are given: they include
# nothing of the boundary (the contest state, the lifecycle, the exports,
# the operator notices, the settings file) nor of the windows or the host,
# and take no lock.
# The contest state and its lock are reached only by the boundary's files.
# Every breach is listed with its file and line; any breach fails.
cmake_minimum_required(VERSION 3.20)
if(NOT STATS_ROOT)
  message(FATAL_ERROR "check-layers: STATS_ROOT is not set")
endif()

set(breaches "")

function(scan_files files pattern what)
  foreach(file IN LISTS files)
    # One list item per line: the characters that a CMake list would take
    # for its own are masked first.
    file(READ "${file}" content)
    string(REPLACE ";" "<semicolon>" content "${content}")
    string(REPLACE "[" "<open>" content "${content}")
    string(REPLACE "]" "<close>" content "${content}")
    string(REPLACE "\\" "<backslash>" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(line MATCHES "${pattern}")
        file(RELATIVE_PATH rel "${STATS_ROOT}" "${file}")
        set(breaches "${breaches}\n  ${rel}:${number}: ${what}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(breaches "${breaches}" PARENT_SCOPE)
endfunction()

# The data layers.
file(GLOB_RECURSE data_files "${STATS_ROOT}/rules/*.h" "${STATS_ROOT}/rules/*.cpp"
  "${STATS_ROOT}/reports/*.h" "${STATS_ROOT}/reports/*.cpp")
if(NOT data_files)
  message(FATAL_ERROR "check-layers: no sources under ${STATS_ROOT}/rules or reports")
endif()
scan_files("${data_files}"
  "#[ \t]*include[ \t]*\"(plugin/(contest|lifecycle|exports|notices|settings)\\.h|ui/|host/)"
  "includes a layer above it")
scan_files("${data_files}" "(ContestLock|Contest\\(\\)|std::mutex|lock_guard|unique_lock|scoped_lock)"
  "takes a lock or the contest state")
file(GLOB_RECURSE rules_files "${STATS_ROOT}/rules/*.h" "${STATS_ROOT}/rules/*.cpp")
scan_files("${rules_files}" "#[ \t]*include[ \t]*\"reports/" "rules/ includes reports/")

# The process-wide state and its lock: the boundary only.  (The product's
# files are those of the subsystems; tools and tests are hosts of their own.)
set(boundary plugin/contest.h plugin/contest.cpp plugin/exports.cpp plugin/lifecycle.h plugin/lifecycle.cpp
  plugin/module.cpp)
file(GLOB_RECURSE product_files "${STATS_ROOT}/plugin/*.h" "${STATS_ROOT}/plugin/*.cpp"
  "${STATS_ROOT}/rules/*.h" "${STATS_ROOT}/rules/*.cpp" "${STATS_ROOT}/reports/*.h"
  "${STATS_ROOT}/reports/*.cpp" "${STATS_ROOT}/ui/*.h" "${STATS_ROOT}/ui/*.cpp"
  "${STATS_ROOT}/host/*.h" "${STATS_ROOT}/host/*.cpp" "${STATS_ROOT}/platform/*.h"
  "${STATS_ROOT}/platform/*.cpp")
set(others "")
foreach(file IN LISTS product_files)
  file(RELATIVE_PATH rel "${STATS_ROOT}" "${file}")
  if(NOT rel IN_LIST boundary)
    list(APPEND others "${file}")
  endif()
endforeach()
scan_files("${others}" "(ContestLock\\(|Contest\\(\\)|#[ \t]*include[ \t]*\"plugin/contest\\.h)"
  "reaches the contest state outside the boundary")

# Only platform/ calls the operating system.
set(above_platform "")
foreach(file IN LISTS product_files)
  file(RELATIVE_PATH rel "${STATS_ROOT}" "${file}")
  # The binary interface names the calling convention of each system.
  if(NOT rel MATCHES "^platform/" AND NOT rel STREQUAL "plugin/abi.h")
    list(APPEND above_platform "${file}")
  endif()
endforeach()
scan_files("${above_platform}"
  "#[ \t]*include[ \t]*<(windows|objbase|oleauto|unistd|dlfcn|pthread)\\.h>|#[ \t]*if.*_WIN32"
  "calls the operating system outside platform/")

if(breaches)
  message(FATAL_ERROR "check-layers: the layers are crossed:${breaches}")
endif()
list(LENGTH product_files count)
message(STATUS "check-layers: ${count} files, no breach")
