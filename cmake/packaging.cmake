# Installation layout and the Debian package.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/docs/manual.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tagwright OPTIONAL)
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/tagwright.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/icons/tagwright.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps OPTIONAL)
endif()

set(CPACK_PACKAGE_NAME tagwright)
set(CPACK_PACKAGE_VENDOR "Tagwright")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Rename MP3 files by their ID3 tags and file them into artist/album folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Tagwright reads ID3v1, ID3v1.1 and ID3v2 tags (Shift_JIS tags included), renames MP3 files by a naming rule and moves them into a folder tree by a folder rule. Taken names are numbered, never overwritten. Japanese user interface, plus tagwright-cli for scripts.")
set(CPACK_PACKAGE_CONTACT "Tagwright developers <tagwright@users.noreply.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
