# Packages made by CPack from the install rules: a Debian package (DEB) on Linux, an installer
# (NSIS) for Windows, cross-built with MinGW-w64 or built on Windows.
#
#   cpack --config build/CPackConfig.cmake -B build/package        # deckshift_2.2.3_amd64.deb
#   cpack --config build-win-ui/CPackConfig.cmake -B build-win-ui/package # deckshift-2.2.3-win64.exe

set(CPACK_PACKAGE_NAME deckshift)
set(CPACK_PACKAGE_VENDOR "The Deckshift developers")
set(CPACK_PACKAGE_CONTACT "The Deckshift developers <deckshift@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${DECKSHIFT_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converts DJ collections between PCDJ RED, PCDJ FX and M3U playlists")
set(CPACK_PACKAGE_DESCRIPTION
    "Deckshift converts DJ collections between PCDJ RED group INI files, PCDJ FX VRM playlists
with their group list, and M3U playlists. Files come out byte for byte in the layouts the DJ
applications read, and a failure never leaves a half-written file behind.
.
The package holds the window program deckshift and the command line deckshift-cli.
.
Licence: MIT.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

# Debian: the library dependencies are computed from the programs by dpkg-shlibdeps.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DECKSHIFT_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Windows: an installer into Program Files\Deckshift with an uninstaller, both with the icon.
set(CPACK_PACKAGE_INSTALL_DIRECTORY Deckshift)
set(CPACK_NSIS_PACKAGE_NAME "Deckshift ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Deckshift")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/share/icons/deckshift.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/share/icons/deckshift.ico")
if(DECKSHIFT_BUILD_UI)
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\deckshift.exe")
else()
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\deckshift-cli.exe")
endif()
set(CPACK_NSIS_URL_INFO_ABOUT "${DECKSHIFT_HOMEPAGE}")
# A 64-bit installer and uninstaller, like the programs they hold (NSIS makes 32-bit ones unless
# told otherwise).
set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
if(DECKSHIFT_BUILD_UI)
  # A Start menu entry for the window program.
  set(CPACK_PACKAGE_EXECUTABLES deckshift Deckshift)
endif()

if(WIN32)
  set(CPACK_GENERATOR NSIS)
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
