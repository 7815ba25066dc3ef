# What `cmake --install` puts where, and the zip that CPack makes from the Windows build. The
# Debian package is built from debian/ with dpkg-buildpackage.
include(GNUInstallDirs)

if(WIN32)
  # The zip holds the program with a README for Windows users and the licence side by side.
  install(TARGETS screen-size RUNTIME DESTINATION .)
  install(FILES windows/README.txt DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_FILE_NAME "screen-size-${PROJECT_VERSION}-win64")
  set(CPACK_PACKAGE_NAME screen-size)
  set(CPACK_PACKAGE_VENDOR "The screen-size developers")
  set(CPACK_STRIP_FILES ON)
  include(CPack)
else()
  install(TARGETS screen-size RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/screen-size.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md NEWS LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
