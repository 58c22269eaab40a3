# A big-endian host without SSE2: Debian's s390x cross-compiler, run under
# qemu-user. Use with the `s390x` preset.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(corso_triple s390x-linux-gnu)
set(CMAKE_C_COMPILER ${corso_triple}-gcc)
set(CMAKE_CXX_COMPILER ${corso_triple}-g++)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
# Static executables: qemu needs no s390x loader or libraries to run them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
find_program(CORSO_QEMU NAMES qemu-s390x qemu-s390x-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CORSO_QEMU})
