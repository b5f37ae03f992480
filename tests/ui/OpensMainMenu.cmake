# Starts the window program offscreen with DECKSHIFT_LIST_WINDOWS set and checks that it shows
# its main menu and no other window, ends by itself with status 0 and writes nothing to stderr.
#   cmake -DPROGRAM=path/to/deckshift -DWORK=scratch-directory -P OpensMainMenu.cmake
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{DECKSHIFT_LIST_WINDOWS} 1)
# A private runtime directory, as a desktop session has one; without it Qt warns on stderr.
set(runtime "${WORK}/opens-main-menu-runtime")
file(REMOVE_RECURSE "${runtime}")
file(MAKE_DIRECTORY "${runtime}")
file(CHMOD "${runtime}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{XDG_RUNTIME_DIR} "${runtime}")

execute_process(COMMAND "${PROGRAM}" OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status TIMEOUT 60)
file(REMOVE_RECURSE "${runtime}")
message(STATUS "stdout: ${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}, stderr: ${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "it wrote to stderr: ${err}")
endif()
if(NOT out STREQUAL "Korvantel Tools (Converter)\n")
  message(FATAL_ERROR "the windows shown are not the main menu alone")
endif()
