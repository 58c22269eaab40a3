# What every cross toolchain here shares: the target's libraries, headers
# and CMake packages come from its own root, /usr/<triple>, and programs
# from the build machine. The including file sets corso_triple first.
set(CMAKE_FIND_ROOT_PATH /usr/${corso_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
