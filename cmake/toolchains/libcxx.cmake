# clang with LLVM's C++ standard library, libc++, instead of libstdc++. Use
# with the `libcxx` preset. Installed C++ libraries are built against
# libstdc++ and cannot be linked here: the preset builds GoogleTest from its
# sources and leaves out the fmt tests.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-stdlib=libc++")
