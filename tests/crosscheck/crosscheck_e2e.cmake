# Runs stats-crosscheck end to end and compares every file it writes, and
# its summary on standard error, byte for byte with the golden files in
# tests/crosscheck/golden/<case>/.  With -DUPDATE=1 it writes them instead.
#
#   cmake -DCROSSCHECK=... -DSIM=... -DCASE=... -DWORK=... -DGOLDEN=...
#         [-DLOGS=...] [-DEMULATOR=...] [-DUPDATE=1] -P crosscheck_e2e.cmake
#
# Cases:
#   sim-small  a simulated UBA contest of 24 logs (contest-sim, seed 10),
#              checked once on one thread with the logs named in reverse
#              order and once on three threads with their folder: both
#              runs must give the golden files; the scorer's comparison
#              with the truth is a golden file too
#   lz-open    the LZ Open 2017 logs (LOGS), with the lz-open definition, and
#              the comparison with the sponsor's verdicts (sponsor.txt)
foreach(var CROSSCHECK SIM CASE WORK GOLDEN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "crosscheck_e2e: ${var} is not set")
  endif()
endforeach()
set(emulator "")
if(EMULATOR)
  string(REPLACE "|" ";" emulator "${EMULATOR}")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run_checked out_var)
  execute_process(COMMAND ${emulator} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "crosscheck_e2e: ${ARGN} ended with ${status}:\n${out}${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${out_var}_err "${err}" PARENT_SCOPE)
endfunction()

set(runs "")
if(CASE STREQUAL "sim-small")
  run_checked(made ${SIM} generate --logs 24 --seed 10 --qsos 70 --out ${WORK}/sim)
  file(GLOB logs ${WORK}/sim/logs/*.log)
  list(REVERSE logs)
  run_checked(one ${CROSSCHECK} --threads 1 --work ${WORK}/plugin-1 ${logs} --out ${WORK}/out-1)
  run_checked(three ${CROSSCHECK} --threads 3 ${WORK}/sim/logs --out ${WORK}/out-3)
  file(WRITE ${WORK}/out-1/summary.txt "${one_err}")
  file(WRITE ${WORK}/out-3/summary.txt "${three_err}")
  run_checked(score ${SIM} score --truth ${WORK}/sim/truth.tsv --verdicts ${WORK}/out-1/verdicts.tsv
    --results ${WORK}/out-1/results.csv --logs ${WORK}/sim/logs)
  file(WRITE ${WORK}/out-1/scorer.txt "${score}")
  file(WRITE ${WORK}/out-3/scorer.txt "${score}")
  set(runs out-1 out-3)
elseif(CASE STREQUAL "lz-open")
  if(NOT LOGS)
    message(FATAL_ERROR "crosscheck_e2e: LOGS is not set")
  endif()
  run_checked(lz ${CROSSCHECK} --contest lz-open ${LOGS} --out ${WORK}/out)
  file(WRITE ${WORK}/out/summary.txt "${lz_err}")
  # The comparison with the sponsor's verdicts.
  run_checked(official ${SIM} official --official ${LOGS}/../official_verdicts.tsv
    --verdicts ${WORK}/out/verdicts.tsv --logs ${LOGS})
  file(WRITE ${WORK}/out/sponsor.txt "${official}")
  set(runs out)
else()
  message(FATAL_ERROR "crosscheck_e2e: unknown case ${CASE}")
endif()

# The folders' contents, relative names sorted.
function(list_files dir out_var)
  file(GLOB_RECURSE files RELATIVE ${dir} ${dir}/*)
  list(SORT files)
  set(${out_var} "${files}" PARENT_SCOPE)
endfunction()

if(UPDATE)
  list(GET runs 0 first)
  file(REMOVE_RECURSE ${GOLDEN})
  file(COPY ${WORK}/${first}/ DESTINATION ${GOLDEN})
  message(STATUS "crosscheck_e2e: golden files of ${CASE} written")
  return()
endif()
list_files(${GOLDEN} expected)
set(failures "")
foreach(run ${runs})
  list_files(${WORK}/${run} got)
  if(NOT got STREQUAL expected)
    string(APPEND failures "${run}: the files differ from the golden ones:\n  got ${got}\n  expected ${expected}\n")
    continue()
  endif()
  foreach(file ${expected})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GOLDEN}/${file} ${WORK}/${run}/${file}
      RESULT_VARIABLE differ)
    if(differ)
      string(APPEND failures "${run}/${file} differs from the golden file (diff ${GOLDEN}/${file} ${WORK}/${run}/${file})\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "crosscheck_e2e ${CASE}:\n${failures}")
endif()
