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
install(FILES docs/man/yorvane5.1 DESTINATION share/man/man1)
