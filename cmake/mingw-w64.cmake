# Cross-compile for Windows x64 with Debian's mingw-w64 (posix thread model:
# the win32 model has no std::mutex, which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PENVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${PENVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PENVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PENVANE_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${PENVANE_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${PENVANE_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${PENVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every binary depends on Windows system DLLs only: the C and C++ runtimes,
# winpthread and zlib are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; scripts/wine-exec expects the environment
# that scripts/wine-env.sh sets up (private prefix, Xvfb, warm wineserver).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
