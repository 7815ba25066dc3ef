# What `cmake --install` puts where, and the packages CPack makes from it: a Debian package
# from the native build, a zip from the Windows build.
include(GNUInstallDirs)

if(WIN32)
  # The zip holds the program with its README and licence side by side.
  install(TARGETS screen-size RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_FILE_NAME "screen-size-${PROJECT_VERSION}-win64")
else()
  install(TARGETS screen-size RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/screen-size.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_FILE_NAME "screen-size-${PROJECT_VERSION}")
endif()

set(CPACK_PACKAGE_NAME screen-size)
set(CPACK_PACKAGE_VENDOR "The screen-size developers")
set(CPACK_PACKAGE_CONTACT "The screen-size developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the physical size of the screen as JSON")
set(CPACK_PACKAGE_DESCRIPTION
    "screen-size prints the width and height of the screen in millimetres and its diagonal in inches as one JSON line. It asks the X display's RandR monitor, the X screen, or the kernel's DRM connectors and their EDID.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # screen-size_1.0.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time when present, so they are recommended, not required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libxcb1, libxcb-randr0")
include(CPack)
