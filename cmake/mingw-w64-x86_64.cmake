# Cross build for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix).
# The posix thread model is needed for std::thread and std::mutex; everything
# is linked statically so the executables start on a bare Windows (or Wine)
# without the compiler's runtime DLLs beside them. Tests run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KORVAN_WINE NAMES wine wine64)
if(KORVAN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVAN_WINE})
endif()
