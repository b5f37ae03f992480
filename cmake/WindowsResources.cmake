# deckshift_add_version_resource(TARGET DESCRIPTION [WINDOWED]): on Windows, gives the program
# TARGET a version record (version from project(VERSION), DESCRIPTION as its file description), the
# Deckshift icon and a manifest that declares long paths. WINDOWED adds what a program with windows
# declares: the common controls of the system's own look and awareness of each monitor's DPI.
function(deckshift_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "WINDOWED" "" "")
  set(DECKSHIFT_RC_NAME ${target})
  set(DECKSHIFT_RC_FILENAME ${target}.exe)
  set(DECKSHIFT_RC_DESCRIPTION "${description}")
  set(DECKSHIFT_RC_ICON "${PROJECT_SOURCE_DIR}/share/icons/deckshift.ico")
  set(DECKSHIFT_MANIFEST_WINDOW_SETTINGS "")
  set(DECKSHIFT_MANIFEST_DEPENDENCY "")
  if(arg_WINDOWED)
    string(CONCAT DECKSHIFT_MANIFEST_WINDOW_SETTINGS
      "\n      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"
      "\n      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>")
    string(CONCAT DECKSHIFT_MANIFEST_DEPENDENCY
      "\n  <dependency>\n    <dependentAssembly>"
      "\n      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""
      " processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
      "\n    </dependentAssembly>\n  </dependency>")
  endif()
  set(DECKSHIFT_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/app.manifest.in ${DECKSHIFT_RC_MANIFEST} @ONLY)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # The resource compiler reads the manifest: a change to it rebuilds the resources.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${DECKSHIFT_RC_MANIFEST})
endfunction()
