# The window program on the command line: --help and --version answer without opening a window
# (and without a display), an unknown option is a usage error, and without a display the program
# says so and ends with status 1 instead of aborting.
#   cmake -DPROGRAM=path/to/deckshift -DVERSION=x.y.z -P CommandLine.cmake
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})

function(run_program out_status out_stdout out_stderr)
  execute_process(COMMAND "${PROGRAM}" ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE status TIMEOUT 60)
  set(${out_status} "${status}" PARENT_SCOPE)
  set(${out_stdout} "${out}" PARENT_SCOPE)
  set(${out_stderr} "${err}" PARENT_SCOPE)
endfunction()

run_program(status out err --help)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: deckshift " OR NOT err STREQUAL "")
  message(FATAL_ERROR "--help: exit status ${status}, stdout: ${out}, stderr: ${err}")
endif()

run_program(status out err --version)
if(NOT status EQUAL 0 OR NOT out STREQUAL "deckshift ${VERSION}\n" OR NOT err STREQUAL "")
  message(FATAL_ERROR "--version: exit status ${status}, stdout: ${out}, stderr: ${err}")
endif()

run_program(status out err --bogus)
if(NOT status EQUAL 2 OR NOT err MATCHES "unknown option \"--bogus\"")
  message(FATAL_ERROR "--bogus: exit status ${status}, stderr: ${err}")
endif()

run_program(status out err)
if(NOT status EQUAL 1 OR NOT err MATCHES "there is no display")
  message(FATAL_ERROR "without a display: exit status ${status}, stderr: ${err}")
endif()
