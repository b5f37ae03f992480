# The DLLs and plugins a Qt program needs beside it on Windows, as Qt's deployment tool places
# them: Qt's own DLLs, the platform plugins in platforms/, the Windows style in styles/, and the
# C++ runtime of MinGW-w64 that Qt and the program share.
#
# deckshift_deploy_qt(TARGET [INSTALL] [QT_MODULES module...])
#   MinGW-w64 builds (the cross build): copies them beside TARGET's program after each build, so
#   that it runs from the build tree (under Wine too); with INSTALL, also installs them beside the
#   installed program. Visual Studio builds: with INSTALL, Qt's windeployqt gathers them beside the
#   installed program. Elsewhere: nothing.

if(WIN32 AND NOT MINGW)
  function(deckshift_deploy_qt target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "INSTALL" "" "QT_MODULES")
    if(arg_INSTALL AND TARGET Qt6::windeployqt)
      install(CODE "
        execute_process(
          COMMAND \"$<TARGET_FILE:Qt6::windeployqt>\" --no-translations
                  \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\"
          COMMAND_ERROR_IS_FATAL ANY)")
    endif()
  endfunction()
  return()
endif()
if(NOT MINGW)
  function(deckshift_deploy_qt)
  endfunction()
  return()
endif()

# The compiler's runtime DLLs: found where the compiler finds its libraries.
function(_deckshift_runtime_dll out name)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    foreach(dir ${CMAKE_FIND_ROOT_PATH})
      if(EXISTS "${dir}/lib/${name}")
        set(path "${dir}/lib/${name}")
      endif()
    endforeach()
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "The MinGW-w64 runtime ${name} was not found")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

_deckshift_runtime_dll(DECKSHIFT_LIBSTDCXX_DLL libstdc++-6.dll)
_deckshift_runtime_dll(DECKSHIFT_LIBGCC_DLL libgcc_s_seh-1.dll)
_deckshift_runtime_dll(DECKSHIFT_WINPTHREAD_DLL libwinpthread-1.dll)
set(DECKSHIFT_MINGW_RUNTIME_DLLS
    ${DECKSHIFT_LIBSTDCXX_DLL} ${DECKSHIFT_LIBGCC_DLL} ${DECKSHIFT_WINPTHREAD_DLL})

function(deckshift_deploy_qt target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "INSTALL" "" "QT_MODULES")
  set(modules Core Gui Widgets ${arg_QT_MODULES})
  set(dlls ${DECKSHIFT_MINGW_RUNTIME_DLLS})
  foreach(module ${modules})
    list(APPEND dlls "$<TARGET_FILE:Qt6::${module}>")
  endforeach()
  set(platforms "$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>"
                "$<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>")
  set(styles "$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>")

  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:${target}>/platforms"
            "$<TARGET_FILE_DIR:${target}>/styles"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dlls} "$<TARGET_FILE_DIR:${target}>"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${platforms}
            "$<TARGET_FILE_DIR:${target}>/platforms"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${styles} "$<TARGET_FILE_DIR:${target}>/styles"
    VERBATIM)

  if(arg_INSTALL)
    install(FILES ${dlls} DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES "$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>"
            DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
    install(FILES ${styles} DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
  endif()
endfunction()
