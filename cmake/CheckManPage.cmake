# Fails when man reports a warning for a manual page (or cannot format it), and checks that the
# page has a section for every sub-command.
#   cmake -DPAGE=deckshift-cli.1 -P CheckManPage.cmake
set(ENV{MANWIDTH} 80)
execute_process(COMMAND man --warnings -E UTF-8 -l "${PAGE}"
                OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "man --warnings on ${PAGE} (exit status ${status}):\n${warnings}")
endif()
if(NOT text MATCHES "\nSUB-COMMANDS\n")
  message(FATAL_ERROR "${PAGE} has no SUB-COMMANDS section:\n${text}")
endif()
message(STATUS "${PAGE}: no warnings")
