# The product's version, kept in the file VERSION at the top of the tree
# (four numbers, "5.0.0.0"). It is stamped into both deliverables' version
# resources here and into the installer by scripts/package.sh. Windows
# Installer compares only the first three numbers when it upgrades: a release
# raises one of those.
include_guard(GLOBAL)

file(STRINGS ${PROJECT_SOURCE_DIR}/VERSION PENVANE_VERSION LIMIT_COUNT 1)
if(NOT PENVANE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold four numbers such as 5.0.0.0, not '${PENVANE_VERSION}'")
endif()
set(PENVANE_VERSION_NUMBERS "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${CMAKE_MATCH_4}")
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VERSION)

# PenvaneVersion.h for resource scripts: PENVANE_VERSION_NUMBERS (5,0,0,0) for
# FILEVERSION and PRODUCTVERSION, PENVANE_VERSION_TEXT ("5.0.0.0") for the
# version strings. A target gets it by linking penvane_version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/PenvaneVersion.h.in ${PROJECT_BINARY_DIR}/generated/PenvaneVersion.h @ONLY)
add_library(penvane_version INTERFACE)
target_include_directories(penvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
