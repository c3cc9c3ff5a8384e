# Checks in the product's sources what the linker cannot see:
#   cmake -DSTATS_ROOT=<source folder> -P cmake/check-layers.cmake
#
# - a file includes only headers of its own layer and of the layers below it
#   (cmake/layers.cmake): a header-only use of a higher layer links fine;
# - the contest state and its lock are reached only by the boundary's files;
# - the rules and the reports take no lock;
# - only platform/ includes a system header or asks for _WIN32.
# Every breach is listed with its file and line; any breach fails.
cmake_minimum_required(VERSION 3.20)
if(NOT STATS_ROOT)
  message(FATAL_ERROR "check-layers: STATS_ROOT is not set")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

set(breaches "")

# Calls scan_line(rel number line) for each line of each file.
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

function(sources_of out_var)
  set(globs "")
  foreach(dir IN LISTS ARGN)
    list(APPEND globs "${STATS_ROOT}/${dir}/*.h" "${STATS_ROOT}/${dir}/*.cpp")
  endforeach()
  file(GLOB_RECURSE files ${globs})
  set(${out_var} "${files}" PARENT_SCOPE)
endfunction()

# Includes go down only.  The folders a layer may not include are those of
# the layers that are not below it, and resources/ unless it drives the
# dialogs.
set(product_files "")
foreach(layer IN LISTS STATS_LAYERS)
  sources_of(files ${layer})
  if(NOT files)
    message(FATAL_ERROR "check-layers: no sources under ${STATS_ROOT}/${layer}")
  endif()
  list(APPEND product_files ${files})
  set(forbidden "")
  foreach(other IN LISTS STATS_LAYERS)
    if(NOT other STREQUAL layer AND NOT other IN_LIST STATS_BELOW_${layer})
      list(APPEND forbidden ${other})
    endif()
  endforeach()
  if(NOT layer IN_LIST STATS_IDS_USERS)
    list(APPEND forbidden resources)
  endif()
  if(forbidden)
    list(JOIN forbidden "|" alternatives)
    scan_files("${files}" "#[ \t]*include[ \t]*\"(${alternatives})/" "${layer}/ includes a layer above it")
  endif()
endforeach()

sources_of(data_files rules reports)
scan_files("${data_files}" "(ContestLock|Contest\\(\\)|std::mutex|lock_guard|unique_lock|scoped_lock)"
  "takes a lock or the contest state")

# The process-wide state and its lock: the boundary only.  (Tools and tests
# are hosts of their own.)
set(boundary plugin/contest.h plugin/contest.cpp plugin/exports.cpp plugin/lifecycle.h plugin/lifecycle.cpp
  plugin/module.cpp)
set(others "")
set(above_platform "")
foreach(file IN LISTS product_files)
  file(RELATIVE_PATH rel "${STATS_ROOT}" "${file}")
  if(NOT rel IN_LIST boundary)
    list(APPEND others "${file}")
  endif()
  # The binary interface names the calling convention of each system.
  if(NOT rel MATCHES "^platform/" AND NOT rel STREQUAL "plugin/abi.h")
    list(APPEND above_platform "${file}")
  endif()
endforeach()
scan_files("${others}" "(ContestLock\\(|Contest\\(\\)|#[ \t]*include[ \t]*\"plugin/contest\\.h)"
  "reaches the contest state outside the boundary")

# Only platform/ calls the operating system.
scan_files("${above_platform}"
  "#[ \t]*include[ \t]*<(windows|objbase|oleauto|unistd|dlfcn|pthread|fcntl|io|direct|shlobj)\\.h>|#[ \t]*include[ \t]*<sys/|#[ \t]*if.*_WIN32"
  "calls the operating system outside platform/")

if(breaches)
  message(FATAL_ERROR "check-layers: the layers are crossed:${breaches}")
endif()
list(LENGTH product_files count)
message(STATUS "check-layers: ${count} files, no breach")
