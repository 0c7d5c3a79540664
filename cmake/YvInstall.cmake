# Installation: every program and shared library in one private program directory
# (<prefix>/lib/yorvane5/bin) with the machine data and help pages beside it, the `yorvane5`
# launcher on the PATH, desktop entries, the MIME type of translation documents, the icon and
# the manual page. The machine data that names installed paths is written at install time.
set(YV_INSTALL_DIR lib/yorvane5)

get_property(yv_installed_targets GLOBAL PROPERTY YV_INSTALLED_TARGETS)
install(TARGETS ${yv_installed_targets}
        RUNTIME DESTINATION ${YV_INSTALL_DIR}/bin
        LIBRARY DESTINATION ${YV_INSTALL_DIR}/bin)

# What the build made for the machine, but for the hive and profile files, which name paths.
install(DIRECTORY "${YV_MACHINE_DIR}/" DESTINATION ${YV_INSTALL_DIR}/machine
        PATTERN "machine.hive*" EXCLUDE
        PATTERN ".hive-stamp" EXCLUDE
        PATTERN "profile" EXCLUDE)
install(CODE "
  set(YV_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/YvEnginePaths.cmake\")
  set(YV_INSTALL_DIR \"${YV_INSTALL_DIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/InstallMachineData.cmake\")
")

install(PROGRAMS packaging/yorvane5 DESTINATION bin)
install(FILES packaging/yorvane5.desktop packaging/yorvane5-editor.desktop DESTINATION share/applications)
install(FILES packaging/yorvane5-mime.xml DESTINATION share/mime/packages RENAME yorvane5.xml)
install(FILES packaging/icons/yorvane5.svg DESTINATION share/icons/hicolor/scalable/apps)
# Manual page and changelog compressed as Debian expects them (gzip -n: the same bytes every build).
find_program(YV_GZIP gzip REQUIRED)
set(yv_compressed "${CMAKE_BINARY_DIR}/packaging")
add_custom_command(OUTPUT "${yv_compressed}/yorvane5.1.gz" "${yv_compressed}/changelog.gz"
                   COMMAND ${CMAKE_COMMAND} -E make_directory "${yv_compressed}"
                   COMMAND ${YV_GZIP} -9n -c "${PROJECT_SOURCE_DIR}/docs/man/yorvane5.1" > "${yv_compressed}/yorvane5.1.gz"
                   COMMAND ${YV_GZIP} -9n -c "${PROJECT_SOURCE_DIR}/packaging/changelog" > "${yv_compressed}/changelog.gz"
                   DEPENDS docs/man/yorvane5.1 packaging/changelog
                   COMMENT "Compressing the manual page and the changelog")
add_custom_target(compressed_docs ALL DEPENDS "${yv_compressed}/yorvane5.1.gz" "${yv_compressed}/changelog.gz")
install(FILES "${yv_compressed}/yorvane5.1.gz" DESTINATION share/man/man1)
install(FILES "${yv_compressed}/changelog.gz" packaging/copyright DESTINATION share/doc/yorvane5)

# A Debian package of the installation (`cpack` in a build directory): the libraries the
# programs need come from the build's own dependencies (dpkg-shlibdeps); the data they read at
# run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME yorvane5)
set(CPACK_PACKAGE_VENDOR "Orvikan")
set(CPACK_PACKAGE_CONTACT "Yorvane5 maintainers <maintainers@yorvane5.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese-English translation suite for X11 desktops")
set(CPACK_PACKAGE_DESCRIPTION "Translation editor, resident toolbox with system-wide hot keys,
CD-ROM dictionary viewer for EPWING books, example-sentence box and batch
translation, with a reference dictionary engine on EDICT.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "edict, mecab-ipadic-utf8, espeak-ng-data, fonts-noto-cjk, xdg-utils, qt6-translations-l10n")
# The office add-in runs in LibreOffice; text capture from Qt programs asks the accessibility bus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-core, python3-uno, at-spi2-core, libfile-mimeinfo-perl")
include(CPack)
