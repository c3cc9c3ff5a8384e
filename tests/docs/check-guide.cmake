# Checks the operator's guide against the code it describes:
#   cmake -DSTATS_ROOT=<source folder> -P tests/docs/check-guide.cmake
#
# - every reason that the rules write into the bad-QSO journal stands in the
#   guide exactly as the journal has it, leading blanks included;
# - every picture that the guide shows lies beside it (the release converts
#   the guide to HTML and ships the pictures it names with it).
#
# The journal's reasons are the string literals of rules/ that hold "!!!",
# the mark that every reason ends with.  RULES_DIR and GUIDE point the check
# elsewhere (docs_guide_planted runs it on altered copies).  Every finding is
# listed; any finding fails.
cmake_minimum_required(VERSION 3.20)
if(NOT RULES_DIR OR NOT GUIDE)
  if(NOT STATS_ROOT)
    message(FATAL_ERROR "check-guide: set STATS_ROOT, or RULES_DIR and GUIDE")
  endif()
  set(RULES_DIR "${STATS_ROOT}/rules")
  set(GUIDE "${STATS_ROOT}/docs/operator-guide.md")
endif()
if(NOT EXISTS "${GUIDE}")
  message(FATAL_ERROR "check-guide: no guide at ${GUIDE}")
endif()

file(GLOB sources "${RULES_DIR}/*.cpp" "${RULES_DIR}/*.h")
set(reasons "")
foreach(source IN LISTS sources)
  file(READ "${source}" content)
  # A literal on one line, without an escaped quote: the reasons are plain.
  string(REGEX MATCHALL "\"[^\"\n]*!!![^\"\n]*\"" literals "${content}")
  foreach(literal IN LISTS literals)
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" reason "${literal}")
    list(APPEND reasons "${reason}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES reasons)
if(NOT reasons)
  message(FATAL_ERROR "check-guide: no journal reason (a string literal with \"!!!\") found in "
    "${RULES_DIR}: the reasons have moved or changed their mark; update this check")
endif()

file(READ "${GUIDE}" guide)
set(findings "")
foreach(reason IN LISTS reasons)
  string(FIND "${guide}" "${reason}" at)
  if(at EQUAL -1)
    string(APPEND findings "\n  journal reason missing from the guide: \"${reason}\"")
  endif()
endforeach()

# Pictures: ![text](name), the name relative to the guide.
get_filename_component(guide_dir "${GUIDE}" DIRECTORY)
string(REGEX MATCHALL "!\\[[^]\n]*\\]\\([^)\n]*\\)" pictures "${guide}")
foreach(picture IN LISTS pictures)
  string(REGEX REPLACE "^.*\\(([^)]*)\\)$" "\\1" name "${picture}")
  if(name MATCHES "^[a-z]+:" OR name MATCHES "^/")
    string(APPEND findings "\n  picture not beside the guide: ${name}")
  elseif(NOT EXISTS "${guide_dir}/${name}")
    string(APPEND findings "\n  picture missing: ${name}")
  endif()
endforeach()

if(findings)
  message(FATAL_ERROR "check-guide: ${GUIDE}:${findings}")
endif()
list(LENGTH reasons n)
list(LENGTH pictures p)
message(STATUS "check-guide: ${n} journal reasons and ${p} pictures found in the guide")
