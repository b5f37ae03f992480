# deckshift_add_version_resource(TARGET DESCRIPTION): on Windows, gives the program TARGET a
# version record (version from project(VERSION), DESCRIPTION as its file description) and the
# Deckshift icon.
function(deckshift_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(DECKSHIFT_RC_NAME ${target})
  set(DECKSHIFT_RC_FILENAME ${target}.exe)
  set(DECKSHIFT_RC_DESCRIPTION "${description}")
  set(DECKSHIFT_RC_ICON "${PROJECT_SOURCE_DIR}/share/icons/deckshift.ico")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
