# The LibreOffice extension Yorvane5.oxt, packed from the files beside this one: one in the
# program directory of the build naming the build's add-in program, and one made at install
# time naming the installed program.
set(YV_ADDIN_EXTENSION_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(YV_LIBREOFFICE_MINIMUM 7.0)
file(GLOB yv_addin_extension_sources CONFIGURE_DEPENDS
     "${YV_ADDIN_EXTENSION_DIR}/*.xcu" "${YV_ADDIN_EXTENSION_DIR}/*.xml" "${YV_ADDIN_EXTENSION_DIR}/*.in"
     "${YV_ADDIN_EXTENSION_DIR}/META-INF/*" "${YV_ADDIN_EXTENSION_DIR}/icons/*")
set(yv_addin_oxt "${CMAKE_BINARY_DIR}/bin/Yorvane5.oxt")
add_custom_command(
  OUTPUT "${yv_addin_oxt}"
  COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${YV_ADDIN_EXTENSION_DIR} -DSTAGE_DIR=${CMAKE_CURRENT_BINARY_DIR}/oxt
          -DPROGRAM=${CMAKE_BINARY_DIR}/bin/lintreladdin -DVERSION=${PROJECT_VERSION}
          -DMINIMUM=${YV_LIBREOFFICE_MINIMUM} -DOUTPUT=${yv_addin_oxt}
          -P "${YV_ADDIN_EXTENSION_DIR}/MakeExtension.cmake"
  DEPENDS ${yv_addin_extension_sources} "${YV_ADDIN_EXTENSION_DIR}/MakeExtension.cmake"
  COMMENT "Packing the LibreOffice extension"
  VERBATIM)
add_custom_target(addin_extension ALL DEPENDS "${yv_addin_oxt}")

install(CODE "
  set(yv_bin \"\${CMAKE_INSTALL_PREFIX}/lib/yorvane5/bin\")
  set(yv_oxt \"\$ENV{DESTDIR}\${yv_bin}/Yorvane5.oxt\")
  execute_process(COMMAND \"${CMAKE_COMMAND}\" -DSOURCE_DIR=${YV_ADDIN_EXTENSION_DIR}
                          -DSTAGE_DIR=${CMAKE_CURRENT_BINARY_DIR}/oxt-install -DPROGRAM=\${yv_bin}/lintreladdin
                          -DVERSION=${PROJECT_VERSION} -DMINIMUM=${YV_LIBREOFFICE_MINIMUM} -DOUTPUT=\${yv_oxt}
                          -P \"${YV_ADDIN_EXTENSION_DIR}/MakeExtension.cmake\" RESULT_VARIABLE yv_packed)
  if(NOT yv_packed EQUAL 0)
    message(FATAL_ERROR \"cannot pack the LibreOffice extension\")
  endif()
  message(STATUS \"Installing: \${yv_oxt}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${yv_bin}/Yorvane5.oxt\")
")
