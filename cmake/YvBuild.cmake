# Compiler settings shared by every target: warnings, sanitizers, ccache.
find_program(YV_CCACHE ccache)
if(YV_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER "${YV_CCACHE}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${YV_CCACHE}")
endif()

add_library(yv_options INTERFACE)
target_compile_options(yv_options INTERFACE -Wall -Wextra)
if(YV_WERROR)
  target_compile_options(yv_options INTERFACE -Werror)
endif()

if(YV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(YV_FUZZ)
  # Optimised as fuzzing is usually done: the same faults show, many times more inputs a second.
  add_compile_options(-O1 -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# yv_library(NAME [SHARED|STATIC] SOURCES ...): a library with the common options; a shared one
# is installed into the program directory.
function(yv_library name kind)
  add_library(${name} ${kind} ${ARGN})
  target_link_libraries(${name} PRIVATE yv_options)
  if(kind STREQUAL "SHARED")
    # A shared library names every library it needs: missing links fail the build, not a user.
    # (Not for clang's fuzz build, whose sanitizer runtime only executables carry.)
    if(NOT YV_FUZZ)
      target_link_options(${name} PRIVATE -Wl,--no-undefined)
    endif()
    set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
    set_property(GLOBAL APPEND PROPERTY YV_INSTALLED_TARGETS ${name})
  endif()
endfunction()

# yv_program(NAME SOURCES ...): a program built into bin/ beside the others (and installed there).
function(yv_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE yv_options)
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  set_property(GLOBAL APPEND PROPERTY YV_INSTALLED_TARGETS ${name})
endfunction()

# yv_fuzz(NAME LIBS...): a libFuzzer target from fuzz/NAME.cpp (fuzz preset only).
function(yv_fuzz name)
  if(NOT YV_FUZZ)
    return()
  endif()
  add_executable(${name} "${PROJECT_SOURCE_DIR}/fuzz/${name}.cpp")
  target_link_libraries(${name} PRIVATE yv_options ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz"
                                           BUILD_RPATH "${CMAKE_BINARY_DIR}/bin")
endfunction()

# yv_bench(NAME SOURCES ... LIBS ...): a Google Benchmark program run by ./bench (bench preset only).
function(yv_bench name)
  if(NOT YV_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE yv_options benchmark::benchmark ${B_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/benchmarks"
                                           BUILD_RPATH "${CMAKE_BINARY_DIR}/bin")
endfunction()
