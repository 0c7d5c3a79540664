# Writes the machine hive's values with yvreg (run by the build with YORVANE_MACHINE_DIR set).
set(product "HKLM\\Software\\Orvikan\\Yorvane5\\1.00.000")

function(reg_sz key name data)
  execute_process(COMMAND "${YVREG}" add "${key}" /v "${name}" /t REG_SZ /d "${data}" /f
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "yvreg could not write ${key} ${name}")
  endif()
endfunction()

reg_sz("${product}" "Path" "${BIN_DIR}")
reg_sz("${product}\\例文" "Path" "${MACHINE_DIR}/例文")
reg_sz("HKLM\\${REGPATH_EJ}\\RELAYER/EJ" "IMP" "NASAI")
reg_sz("HKLM\\${REGPATH_EJ}\\RELAYER/EJ" "TSTYLE" "DEARU")
reg_sz("HKLM\\${REGPATH_EJ}\\RELAYER/EJ" "YOU" "ON")
reg_sz("HKLM\\${REGPATH_JE}\\RELAYER/JE" "SUBJ" "it")

# Reading aloud works out of the box on Linux (espeak-ng); reading after every JE run and
# dictation stay off until the user turns them on.
execute_process(COMMAND "${YVREG}" add "${product}\\音声設定" /v "use_speak" /t REG_DWORD /d 1 /f
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "yvreg could not write use_speak")
endif()
