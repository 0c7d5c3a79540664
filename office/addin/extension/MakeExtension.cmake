# Packs the add-in's extension from its sources: cmake -DSOURCE_DIR=... -DSTAGE_DIR=...
# -DPROGRAM=<add-in program> -DVERSION=... -DMINIMUM=... -DOUTPUT=<.oxt> -P MakeExtension.cmake
set(YV_ADDIN_PROGRAM "${PROGRAM}")
set(YV_VERSION "${VERSION}")
set(YV_LIBREOFFICE_MINIMUM "${MINIMUM}")
file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")
set(files META-INF/manifest.xml description.xml yorvane5addin.py ProtocolHandler.xcu Addons.xcu
          WriterWindowState.xcu CalcWindowState.xcu ImpressWindowState.xcu
          icons/translate_16.png icons/translate_26.png)
foreach(file IN LISTS files)
  if(EXISTS "${SOURCE_DIR}/${file}.in")
    configure_file("${SOURCE_DIR}/${file}.in" "${STAGE_DIR}/${file}" @ONLY)
  elseif(file STREQUAL "description.xml")
    configure_file("${SOURCE_DIR}/${file}" "${STAGE_DIR}/${file}" @ONLY)
  else()
    configure_file("${SOURCE_DIR}/${file}" "${STAGE_DIR}/${file}" COPYONLY)
  endif()
endforeach()
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}" --format=zip ${files}
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "cannot pack ${OUTPUT}")
endif()
