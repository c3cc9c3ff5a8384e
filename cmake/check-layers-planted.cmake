# Shows that the layer checks catch what they are for: a copy of the
# product's sources with one breach of each kind planted must fail
# check-layers.cmake with each breach named, and a layer library that links
# a layer above it must be refused.
#   cmake -DSTATS_ROOT=<source folder> -DWORK=<scratch folder> -P cmake/check-layers-planted.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

file(REMOVE_RECURSE "${WORK}")
foreach(dir IN LISTS STATS_LAYERS)
  file(COPY "${STATS_ROOT}/${dir}" DESTINATION "${WORK}")
endforeach()

set(planted
  "model/store.cpp|#include \"ui/lookup.h\"|model/ includes a layer above it"
  "rules/score.cpp|#include \"reports/result.h\"|rules/ includes a layer above it"
  "host/automation.cpp|#include \"resources/windows_ids.h\"|host/ includes a layer above it"
  "ui/lookup.cpp|#include \"plugin/contest.h\"|ui/ includes a layer above it"
  "plugin/notices.cpp|auto& state = Contest()|reaches the contest state outside the boundary"
  "reports/result.cpp|std::mutex m|takes a lock or the contest state"
  "ui/placement.cpp|#include <windows.h>|calls the operating system outside platform/"
  "model/settings.cpp|#if defined(_WIN32)|calls the operating system outside platform/")
foreach(plant IN LISTS planted)
  string(REPLACE "|" ";" parts "${plant}")
  list(GET parts 0 file)
  list(GET parts 1 line)
  file(APPEND "${WORK}/${file}" "\n${line}\n")
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DSTATS_ROOT=${WORK} -P ${CMAKE_CURRENT_LIST_DIR}/check-layers.cmake
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0)
  message(FATAL_ERROR "check-layers passed a tree with planted breaches")
endif()
foreach(plant IN LISTS planted)
  string(REPLACE "|" ";" parts "${plant}")
  list(GET parts 0 file)
  list(GET parts 2 what)
  string(FIND "${err}" "${file}:" at_file)
  string(FIND "${err}" "${what}" at_what)
  if(at_file EQUAL -1 OR at_what EQUAL -1)
    message(FATAL_ERROR "check-layers did not report ${file} (${what}):\n${err}")
  endif()
endforeach()

# The build's own check of the libraries' links.
stats_layer_link_breaches(model "stats_platform;stats_ui" breaches)
if(NOT breaches STREQUAL "stats_ui")
  message(FATAL_ERROR "a model library linking stats_ui was not refused (${breaches})")
endif()
stats_layer_link_breaches(plugin "stats_ui;stats_reports;stats_rules;stats_host;stats_model;stats_platform;Threads::Threads" breaches)
if(breaches)
  message(FATAL_ERROR "the boundary's links were refused: ${breaches}")
endif()
list(LENGTH planted count)
message(STATUS "check-layers-planted: ${count} planted breaches, each reported")
