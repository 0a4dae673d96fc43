# Cross build of the user interface for 64-bit Windows against the Qt that
# scripts/build-qt-windows.sh builds: Qt's qt.toolchain.cmake chain-loads this
# file (QT_CHAINLOAD_TOOLCHAIN_FILE). The compilers and search rules are those
# of the core's cross build; only the runtime differs: Qt's DLLs use the
# compiler's runtime DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1), so
# the program uses the same ones instead of linking its own copy, and they
# ship beside it.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
