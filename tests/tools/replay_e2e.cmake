# Runs stats-replay on one sample of examples/ and compares what it leaves
# behind - standard output, standard error, the exit status and every file
# of its working folder - byte for byte with the golden files in
# examples/golden/<case>/.  With -DUPDATE=1 it writes the golden files
# instead.
#
#   cmake -DPROGRAM=... -DEXAMPLES=... -DCASE=... -DWORK=... [-DEMULATOR=...]
#         [-DUPDATE=1] -P replay_e2e.cmake
#
# EMULATOR runs a Windows build of the program (Wine; a command with
# arguments separated by "|"); standard error is then left out of the
# comparison, since the message boxes of the Windows plug-in do not write
# there and the emulator may.
foreach(var PROGRAM EXAMPLES CASE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "replay_e2e: ${var} is not set")
  endif()
endforeach()

# The cases: the arguments, given relative to examples/, and the folder of
# examples/ whose contents the working folder starts with (none when empty).
# same_stdout_as: another case whose golden standard output this one must
# also give.  fifo: a FIFO made before the run, relative to the working
# folder, or "log" for one given as the log (both removed after the run).
# file_limit: the largest file, in bytes, the program may write (a disk that
# fills up while it writes): a write past it fails with "File too large".
# left_over: files of examples/ put in the working folder before the run,
# as an earlier run left them.  Unless the arguments hold --in-place, the
# settings files put there must still be byte for byte what they were.
# Standard error names the working folder "<work>", wherever it lies.
set(same_stdout_as "")
set(fifo "")
set(run_in ${EXAMPLES})
if(CASE STREQUAL "adif-list")
  set(args --list sample.adi)
  set(settings "")
elseif(CASE STREQUAL "adif-html-cabrillo")
  set(args --html --cabrillo sample.adi)
  set(settings settings)
elseif(CASE STREQUAL "cabrillo-input")
  set(args sample.cbr)
  set(settings "")
elseif(CASE STREQUAL "adif-problems")
  set(args --list --call DL6UHU problems.adi)
  set(settings "")
elseif(CASE STREQUAL "bad-usage")
  set(args --start 06.01.2026 sample.adi)
  set(settings "")
elseif(CASE STREQUAL "missing-log")
  set(args no-such-log.adi)
  set(settings "")
elseif(CASE STREQUAL "adif-missing-exchange")
  set(args missing-exchange.adi)
  set(settings "")
elseif(CASE STREQUAL "cabrillo-missing-exchange")
  set(args missing-exchange.cbr)
  set(settings "")
  set(same_stdout_as adif-missing-exchange)
elseif(CASE STREQUAL "adif-period")
  set(args --list --start "2026-01-03 13:00" --end 2026-01-03 sample.adi)
  set(settings "")
elseif(CASE STREQUAL "cabrillo-check")
  set(args --check --start "2026-01-03 12:05" --end "2026-01-03 12:35" missing-exchange.cbr)
  set(settings "")
elseif(CASE STREQUAL "adif-other-loggers")
  # FREQ in Hz, records with TIME_OFF only, PFX values of the loggers' own.
  set(args --list --check other-loggers.adi)
  set(settings "")
elseif(CASE STREQUAL "adif-control-bytes")
  set(args --list control-bytes.adi)
  set(settings "")
elseif(CASE STREQUAL "log-folder")
  set(args golden)
  set(settings "")
elseif(CASE STREQUAL "fifo-log")
  set(args ${CASE}.fifo)
  set(settings "")
  set(fifo log)
elseif(CASE STREQUAL "fifo-settings")
  set(args sample.adi)
  set(settings "")
  set(fifo Plugins/ZEVUVI.ini)
elseif(CASE STREQUAL "blocked-outputs")
  # Folders stand where the journal and the Cabrillo log would go.
  set(args --cabrillo sample.adi)
  set(settings settings)
  set(blocked BadQSO_RazadUREVARERE63_04_01_2026.txt DL6UHU.cbr)
elseif(CASE STREQUAL "journal-disk-full")
  # The journal's fifth line crosses the limit: the disk is full in the
  # middle of a line, and the journal keeps its four whole lines.
  set(args sample.adi)
  set(settings "")
  set(file_limit 700)
elseif(CASE STREQUAL "journal-left-over")
  # The journal of an earlier run, whole and with as many bad QSOs, stands
  # where this run's goes, and a folder where the plug-in writes the new one
  # before renaming it: the journal left over is not this run's.
  set(args --in-place sample.adi)
  set(settings "")
  set(left_over golden/adif-list/dir/BadQSO_RazadUREVARERE63_04_01_2026.txt)
  set(blocked BadQSO_RazadUREVARERE63_04_01_2026.txt.tmp)
elseif(CASE STREQUAL "cabrillo-left-over")
  # The Cabrillo log of an earlier run stands where this run's goes, and a
  # folder where the plug-in writes the new one: the earlier log is neither
  # checked nor taken for this run's.
  set(args --in-place --cabrillo sample.adi)
  set(settings settings)
  set(left_over golden/adif-html-cabrillo/dir/DL6UHU.cbr)
  set(blocked DL6UHU.cbr.tmp)
elseif(CASE STREQUAL "settings-kept")
  # A settings file in the host's folder: the plug-in reads it (the own
  # section, the header fields) and writes to its copy only.
  set(args sample.adi)
  set(settings settings)
elseif(CASE STREQUAL "settings-in-place")
  # As the host runs it: the settings file takes the plug-in's writes.
  set(args --in-place sample.adi)
  set(settings settings)
elseif(CASE STREQUAL "check-report")
  # A log with a problem of each kind: each reported once, grouped, counted.
  set(args --check --start "2026-01-03 12:00" check-problems.cbr)
  set(settings "")
elseif(CASE STREQUAL "check-strict")
  set(args --strict --start "2026-01-03 12:00" check-problems.cbr)
  set(settings "")
  set(same_stdout_as check-report)
elseif(CASE STREQUAL "cty-beside-program")
  # A country file beside the program is taken before the system's: this
  # one knows three countries only.
  set(args --list missing-exchange.adi)
  set(settings "")
  set(beside_program cty-small.dat)
else()
  message(FATAL_ERROR "replay_e2e: no case ${CASE}")
endif()

string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
set(golden ${EXAMPLES}/golden/${CASE})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/dir)
if(settings)
  file(COPY ${EXAMPLES}/${settings}/ DESTINATION ${WORK}/dir)
endif()
foreach(folder ${blocked})
  file(MAKE_DIRECTORY ${WORK}/dir/${folder})
endforeach()
foreach(file ${left_over})
  file(COPY ${EXAMPLES}/${file} DESTINATION ${WORK}/dir)
endforeach()

if(beside_program)
  # The program and the plug-in are copied to a folder of their own beside
  # the working folder, with the country file.
  get_filename_component(program_dir ${PROGRAM} DIRECTORY)
  get_filename_component(program_name ${PROGRAM} NAME)
  file(REMOVE_RECURSE ${WORK}.bin)
  file(MAKE_DIRECTORY ${WORK}.bin)
  file(GLOB plugin_files ${program_dir}/Stats.so ${program_dir}/Stats.dll)
  file(COPY ${PROGRAM} ${plugin_files} DESTINATION ${WORK}.bin)
  configure_file(${EXAMPLES}/${beside_program} ${WORK}.bin/cty.dat COPYONLY)
  set(PROGRAM ${WORK}.bin/${program_name})
endif()

if(fifo STREQUAL "log")
  # Beside the working folder, so that no comparison reads it; the program
  # runs where it lies and names it without a path.
  get_filename_component(run_in ${WORK} DIRECTORY)
  set(fifo_path ${WORK}.fifo)
elseif(fifo)
  set(fifo_path ${WORK}/dir/${fifo})
endif()
if(fifo)
  get_filename_component(fifo_dir ${fifo_path} DIRECTORY)
  file(MAKE_DIRECTORY ${fifo_dir})
  file(REMOVE ${fifo_path})
  execute_process(COMMAND mkfifo ${fifo_path} RESULT_VARIABLE made)
  if(made)
    message(FATAL_ERROR "replay_e2e: ${CASE}: cannot make the FIFO ${fifo_path}")
  endif()
endif()

set(limited "")
if(file_limit)
  # A process past its file-size limit is stopped by SIGXFSZ unless it
  # ignores the signal; ignored, the write fails with EFBIG.
  set(limited sh -c "trap '' XFSZ\nexec prlimit --fsize=${file_limit} \"$@\"" sh)
endif()
execute_process(
  COMMAND ${limited} ${EMULATOR} ${PROGRAM} --dir ${WORK}/dir ${args}
  WORKING_DIRECTORY ${run_in}
  OUTPUT_FILE ${WORK}/stdout
  ERROR_FILE ${WORK}/stderr
  RESULT_VARIABLE status
  TIMEOUT 120)
file(WRITE ${WORK}/exit-status "${status}\n")
if(EXISTS ${WORK}/stderr)
  file(READ ${WORK}/stderr stderr_text)
  string(REPLACE "${WORK}" "<work>" stderr_text "${stderr_text}")
  file(WRITE ${WORK}/stderr "${stderr_text}")
endif()
if(fifo)
  file(REMOVE ${fifo_path})
  if(fifo_dir STREQUAL "${WORK}/dir/Plugins")
    file(REMOVE_RECURSE ${fifo_dir})
  endif()
endif()

file(GLOB_RECURSE produced RELATIVE ${WORK} ${WORK}/*)
if(EMULATOR)
  list(REMOVE_ITEM produced stderr)
endif()
list(SORT produced)

if(UPDATE)
  file(REMOVE_RECURSE ${golden})
  foreach(f ${produced})
    get_filename_component(d ${f} DIRECTORY)
    file(COPY ${WORK}/${f} DESTINATION ${golden}/${d})
  endforeach()
  message(STATUS "replay_e2e: ${CASE}: wrote ${golden}")
  return()
endif()

file(GLOB_RECURSE expected RELATIVE ${golden} ${golden}/*)
if(EMULATOR)
  list(REMOVE_ITEM expected stderr)
endif()
list(SORT expected)
set(failures 0)
if(NOT produced STREQUAL expected)
  message(SEND_ERROR "replay_e2e: ${CASE}: files differ\n  expected: ${expected}\n  produced: ${produced}")
  math(EXPR failures "${failures} + 1")
endif()
foreach(f ${expected})
  if(EXISTS ${WORK}/${f})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${golden}/${f} ${WORK}/${f}
                    RESULT_VARIABLE differs)
    if(differs)
      message(SEND_ERROR "replay_e2e: ${CASE}: ${f} differs from the golden file "
                         "(compare ${golden}/${f} with ${WORK}/${f})")
      math(EXPR failures "${failures} + 1")
    endif()
  endif()
endforeach()
list(FIND args --in-place in_place)
if(settings AND in_place EQUAL -1)
  file(GLOB_RECURSE settings_files RELATIVE ${EXAMPLES}/${settings} ${EXAMPLES}/${settings}/*)
  foreach(f ${settings_files})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXAMPLES}/${settings}/${f}
                            ${WORK}/dir/${f}
                    RESULT_VARIABLE differs)
    if(differs)
      message(SEND_ERROR "replay_e2e: ${CASE}: the host's ${f} changed in the run")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endif()
if(same_stdout_as)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${EXAMPLES}/golden/${same_stdout_as}/stdout ${WORK}/stdout
                  RESULT_VARIABLE differs)
  if(differs)
    message(SEND_ERROR "replay_e2e: ${CASE}: standard output differs from that of "
                       "${same_stdout_as}")
    math(EXPR failures "${failures} + 1")
  endif()
endif()
if(failures EQUAL 0)
  message(STATUS "replay_e2e: ${CASE}: all files match")
endif()
