# A Windows host: Debian's MinGW-w64 (POSIX threads), static executables, run
# under Wine. Use with the `windows` preset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(corso_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${corso_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${corso_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${corso_triple}-windres)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
# Executables and DLLs link MinGW's own libraries in: nothing of it needs
# to stand beside them under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
find_program(CORSO_WINE NAMES wine REQUIRED)
find_program(CORSO_WINESERVER NAMES wineserver REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
