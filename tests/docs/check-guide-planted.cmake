# Shows that tests/docs/check-guide.cmake catches what it is there for:
#   cmake -DSTATS_ROOT=<source folder> -DWORK=<scratch folder> -P tests/docs/check-guide-planted.cmake
#
# Runs the check on copies of the rules and the guide: unaltered (it must
# pass), then with one fault planted in each (it must fail and name the
# fault): a reason taken out of the guide, a new reason in the rules that the
# guide does not know, a picture that is not there.
cmake_minimum_required(VERSION 3.20)
if(NOT STATS_ROOT OR NOT WORK)
  message(FATAL_ERROR "check-guide-planted: STATS_ROOT and WORK must be set")
endif()
set(check "${STATS_ROOT}/tests/docs/check-guide.cmake")
set(failures "")

# A fresh copy of the rules and of the guide with its pictures in WORK/<name>.
function(make_copy name)
  set(dir "${WORK}/${name}")
  file(REMOVE_RECURSE "${dir}")
  file(MAKE_DIRECTORY "${dir}/rules" "${dir}/docs")
  file(GLOB rules "${STATS_ROOT}/rules/*.cpp" "${STATS_ROOT}/rules/*.h")
  file(COPY ${rules} DESTINATION "${dir}/rules")
  file(GLOB docs "${STATS_ROOT}/docs/operator-guide.md" "${STATS_ROOT}/docs/*.png")
  file(COPY ${docs} DESTINATION "${dir}/docs")
endfunction()

# Runs the check on WORK/<name>; expected is "pass" or a text that the
# failure must name.
function(run_check name expected)
  set(dir "${WORK}/${name}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DRULES_DIR=${dir}/rules -DGUIDE=${dir}/docs/operator-guide.md
      -P "${check}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expected STREQUAL "pass")
    if(NOT rc EQUAL 0)
      set(failures "${failures}\n  ${name}: the check failed on an unaltered copy:\n${err}")
    endif()
  elseif(rc EQUAL 0)
    set(failures "${failures}\n  ${name}: the check passed")
  else()
    string(FIND "${err}" "${expected}" at)
    if(at EQUAL -1)
      set(failures "${failures}\n  ${name}: the failure does not name '${expected}':\n${err}")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

make_copy(unaltered)
run_check(unaltered pass)

# The guide no longer gives one reason exactly: a blank less in front.
make_copy(reason-dropped)
set(guide "${WORK}/reason-dropped/docs/operator-guide.md")
file(READ "${guide}" text)
string(REPLACE "`   WRONG BAND !!!`" "`  WRONG BAND !!!`" changed "${text}")
if(changed STREQUAL text)
  set(failures "${failures}\n  reason-dropped: the guide has no `   WRONG BAND !!!` to alter")
endif()
file(WRITE "${guide}" "${changed}")
run_check(reason-dropped "journal reason missing from the guide: \"   WRONG BAND !!!\"")

# A new reason written by the rules.
make_copy(reason-added)
file(APPEND "${WORK}/reason-added/rules/intake.cpp"
  "\nconstexpr const char* kPlanted = \"   PLANTED REASON !!!\";\n")
run_check(reason-added "journal reason missing from the guide: \"   PLANTED REASON !!!\"")

# A picture that the release would not find.
make_copy(picture-missing)
file(APPEND "${WORK}/picture-missing/docs/operator-guide.md"
  "\n![A window that is not there](planted-window.png)\n")
run_check(picture-missing "picture missing: planted-window.png")

# Rules whose reasons lost their mark: the check must say so, not pass.
make_copy(no-reasons)
file(GLOB planted "${WORK}/no-reasons/rules/*")
foreach(source IN LISTS planted)
  file(READ "${source}" text)
  string(REPLACE "!!!" "" text "${text}")
  file(WRITE "${source}" "${text}")
endforeach()
run_check(no-reasons "no journal reason")

file(REMOVE_RECURSE "${WORK}")
if(failures)
  message(FATAL_ERROR "check-guide-planted:${failures}")
endif()
message(STATUS "check-guide-planted: every planted fault was reported")
