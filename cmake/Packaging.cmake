# What `cmake --install` puts where, and the zip of the Windows build. The Debian package is
# built from debian/ with dpkg-buildpackage.
include(GNUInstallDirs)

if(WIN32)
  # `cmake --build . --target zip`: the program with a README for Windows users and the
  # licence side by side, packed so that the same sources give the same bytes.
  install(TARGETS screen-size RUNTIME DESTINATION .)
  install(FILES windows/README.txt DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(zip_stage ${CMAKE_CURRENT_BINARY_DIR}/zip)
  set(zip_file ${CMAKE_CURRENT_BINARY_DIR}/screen-size-${PROJECT_VERSION}-win64.zip)
  add_custom_target(zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:screen-size> ${zip_stage}/screen-size.exe
    COMMAND ${CMAKE_STRIP} ${zip_stage}/screen-size.exe
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/windows/README.txt ${zip_stage}/README.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${zip_stage}/LICENSE.txt
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/make-zip.sh ${zip_stage} ${zip_file} ${PROJECT_SOURCE_DIR}
    DEPENDS screen-size
    VERBATIM)
else()
  install(TARGETS screen-size RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/screen-size.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md NEWS LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
