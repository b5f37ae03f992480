# Fails when man reports a warning for a manual page (or cannot format it), and checks that the
# page has the section SECTION (by default SUB-COMMANDS, which deckshift-cli's page has for its
# sub-commands).
#   cmake -DPAGE=deckshift-cli.1 [-DSECTION=NAME] -P CheckManPage.cmake
set(ENV{MANWIDTH} 80)
execute_process(COMMAND man --warnings -E UTF-8 -l "${PAGE}"
                OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "man --warnings on ${PAGE} (exit status ${status}):\n${warnings}")
endif()
if(NOT DEFINED SECTION)
  set(SECTION "SUB-COMMANDS")
endif()
if(NOT text MATCHES "\n${SECTION}\n")
  message(FATAL_ERROR "${PAGE} has no ${SECTION} section:\n${text}")
endif()
message(STATUS "${PAGE}: no warnings")
