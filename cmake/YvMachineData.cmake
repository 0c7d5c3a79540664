# Machine data of the build tree, so that a fresh build runs out of the box: the engines'
# profile files, the machine settings hive and the machine directories.
include(YvEnginePaths)

configure_file(data/machine/EJRELAY.INI.in "${YV_MACHINE_DIR}/profile/EJRELAY.INI" @ONLY NEWLINE_STYLE CRLF)
configure_file(data/machine/JERELAY.INI.in "${YV_MACHINE_DIR}/profile/JERELAY.INI" @ONLY NEWLINE_STYLE CRLF)
file(MAKE_DIRECTORY "${YV_MACHINE_DIR}/engine/ej" "${YV_MACHINE_DIR}/engine/je" "${YV_MACHINE_DIR}/例文")

set(stamp "${YV_MACHINE_DIR}/.hive-stamp")
add_custom_command(
  OUTPUT "${stamp}"
  COMMAND ${CMAKE_COMMAND} -E env "YORVANE_MACHINE_DIR=${YV_MACHINE_DIR}"
          ${CMAKE_COMMAND} "-DYVREG=$<TARGET_FILE:yvreg>" "-DMACHINE_DIR=${YV_MACHINE_DIR}"
          "-DBIN_DIR=${CMAKE_BINARY_DIR}/bin"
          "-DREGPATH_EJ=${YV_ENGINE_REGPATH_EJ}" "-DREGPATH_JE=${YV_ENGINE_REGPATH_JE}"
          -P "${CMAKE_CURRENT_SOURCE_DIR}/cmake/WriteMachineHive.cmake"
  COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
  DEPENDS yvreg "${CMAKE_CURRENT_SOURCE_DIR}/cmake/WriteMachineHive.cmake"
  COMMENT "Writing the machine settings hive"
  VERBATIM)
add_custom_target(machinedata ALL DEPENDS "${stamp}")

# Empty user-dictionary templates in the engines' directories, copied to a user's data folder
# on first run.
if(TARGET ejquarto AND TARGET jequarto)
  set(templates "${YV_MACHINE_DIR}/engine/ej/ejudic.dic" "${YV_MACHINE_DIR}/engine/je/jeudic.dic")
  add_custom_command(
    OUTPUT ${templates}
    COMMAND ejquarto --init-dictionary "${YV_MACHINE_DIR}/engine/ej/ejudic"
    COMMAND jequarto --init-dictionary "${YV_MACHINE_DIR}/engine/je/jeudic"
    DEPENDS ejquarto jequarto
    COMMENT "Writing the empty user-dictionary templates"
    VERBATIM)
  add_custom_target(dictionarytemplates ALL DEPENDS ${templates})
endif()

# What the engines derive from EDICT, made once by the build so that tests and first runs of
# the build tree do not wait for it (the engines rebuild it themselves when it is missing).
if(TARGET ejquarto AND YV_TESTS)
  set(engineCache "${CMAKE_BINARY_DIR}/engine-cache")
  add_custom_command(
    OUTPUT "${engineCache}/.stamp"
    COMMAND ${CMAKE_COMMAND} -E env "YORVANE_CACHE_DIR=${engineCache}"
            $<TARGET_FILE:ejquarto> --lookup a
    COMMAND ${CMAKE_COMMAND} -E touch "${engineCache}/.stamp"
    DEPENDS ejquarto
    COMMENT "Preparing the engines' dictionary cache for the tests"
    VERBATIM)
  add_custom_target(enginecache ALL DEPENDS "${engineCache}/.stamp")
endif()
