# Shared build settings and helpers for every folder of the tree.
include_guard(GLOBAL)

if(WIN32)
  set(PENVANE_NATIVE OFF)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                          _WIN32_WINNT=0x0A00 WINVER=0x0A00)
else()
  set(PENVANE_NATIVE ON)
  option(PENVANE_SANITIZE "Build the native tree with ASan and UBSan" ON)
  if(PENVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # libFuzzer targets need clang; they are built only when it is the compiler.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(PENVANE_FUZZ ON)
  else()
    set(PENVANE_FUZZ OFF)
  endif()
endif()

add_compile_options(-Wall -Wextra)

# GoogleTest from Debian's sources, built with this tree's toolchain.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
if(NOT TARGET gtest)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
endif()
include(GoogleTest)

# penvane_add_test(NAME SOURCES src... [LIBS lib...] [LOCKS resource...]
#                  [PROPERTIES prop value...])
# A GoogleTest program; its cases are listed when ctest runs (so under Wine
# only once the environment of scripts/wine-env.sh is up). ctest runs cases in
# parallel processes: cases that share a machine-wide resource (the settings
# file in the Windows directory, a registry entry) name it in LOCKS. PROPERTIES
# adds further ctest properties to every case (fixtures, for example).
function(penvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LOCKS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300 ${T_PROPERTIES})
  # The locks are set once the cases are listed, by a file ctest reads after
  # the listing: gtest_discover_tests flattens a list value among its
  # PROPERTIES, and ctest takes "a,b" as the one lock named so.
  if(T_LOCKS)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
    file(WRITE ${file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_LOCKS}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  endif()
endfunction()

# penvane_win_path(OUT path): the path as a Windows program under Wine sees it.
function(penvane_win_path out path)
  string(REPLACE "/" "\\\\" p "${path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

if(WIN32)
  include(PenvaneWidl)
endif()

# The product version (file VERSION) for the resource scripts.
include(PenvaneVersion)
