# Run by `cmake --install`: the machine data that names installed paths — the engines' profile
# files and the machine settings hive — written for the final prefix into the staging root
# (DESTDIR) and recorded in the install manifest, so that removal takes them too.
set(final_dir "${CMAKE_INSTALL_PREFIX}/${YV_INSTALL_DIR}")
set(stage_dir "$ENV{DESTDIR}${final_dir}")

set(YV_MACHINE_DIR "${final_dir}/machine")
foreach(direction EJ JE)
  set(profile "${stage_dir}/machine/profile/${direction}RELAY.INI")
  configure_file("${YV_SOURCE_DIR}/data/machine/${direction}RELAY.INI.in" "${profile}" @ONLY NEWLINE_STYLE CRLF)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${profile}")
  message(STATUS "Installing: ${profile}")
endforeach()

set(hive "${stage_dir}/machine/machine.hive")
file(REMOVE "${hive}" "${hive}-wal" "${hive}-shm")
set(ENV{YORVANE_MACHINE_DIR} "${stage_dir}/machine")
set(YVREG "${stage_dir}/bin/yvreg")
set(BIN_DIR "${final_dir}/bin")
set(MACHINE_DIR "${final_dir}/machine")
set(REGPATH_EJ "${YV_ENGINE_REGPATH_EJ}")
set(REGPATH_JE "${YV_ENGINE_REGPATH_JE}")
include("${YV_SOURCE_DIR}/cmake/WriteMachineHive.cmake")
unset(ENV{YORVANE_MACHINE_DIR})
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${hive}")
message(STATUS "Installing: ${hive}")
