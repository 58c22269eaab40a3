# What the tests and the benchmarks need, found once. Each sets corso_tests,
# corso_fmt_tests or corso_benchmarks: ON requires the dependency, AUTO builds
# when it is found and says so when it is not, OFF builds nothing.

# ${out} is ON, OFF or AUTO, whatever spelling of true or false the option has.
function(corso_want option out)
  string(TOUPPER "${${option}}" value)
  if(value STREQUAL "AUTO")
    set(${out} AUTO PARENT_SCOPE)
  elseif(${option})
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# Sets ${out} ON when `package` is found for the part (tests, benchmarks)
# that `want` asks for: ON requires it, AUTO says so when it is missing, OFF
# looks for nothing. A macro, so that what find_package sets stays.
macro(corso_find_for want package name debian part option out)
  set(${out} OFF)
  if("${want}" STREQUAL "ON")
    find_package(${package})
    if(NOT ${package}_FOUND)
      message(FATAL_ERROR "${name} not found: the ${part} need it (Debian's package ${debian}), "
                          "or configure with -D${option}=OFF")
    endif()
    set(${out} ON)
  elseif("${want}" STREQUAL "AUTO")
    find_package(${package} QUIET)
    if(${package}_FOUND)
      set(${out} ON)
    else()
      message(STATUS "${name} not found: the ${part} are not built")
    endif()
  endif()
endmacro()

# GoogleTest: the installed package, or built from CORSO_GTEST_SOURCE_DIR (an
# installed one is built for the host's compiler and standard library, which
# a cross or libc++ build cannot link).
macro(corso_find_gtest)
  corso_want(CORSO_BUILD_TESTS corso_want_tests)
  set(corso_tests OFF)
  if(NOT corso_want_tests STREQUAL "OFF")
    if(CORSO_GTEST_SOURCE_DIR)
      if(NOT EXISTS "${CORSO_GTEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "CORSO_GTEST_SOURCE_DIR=${CORSO_GTEST_SOURCE_DIR} holds no GoogleTest sources "
                            "(Debian's package googletest installs them)")
      endif()
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
      add_subdirectory(${CORSO_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
      # Its warnings are not ours to fix.
      set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
      set(corso_tests ON)
    else()
      corso_find_for(${corso_want_tests} GTest GoogleTest libgtest-dev tests CORSO_BUILD_TESTS corso_tests)
    endif()
  endif()
endmacro()

# fmt, for the tests of corso/fmt.hpp (the library never needs it): sets
# corso_fmt_tests. An installed fmt is built for the host's compiler and
# standard library: a cross build finds none under its own root, and the
# libcxx preset turns these tests off.
macro(corso_find_fmt)
  corso_want(CORSO_BUILD_FMT_TESTS corso_want_fmt_tests)
  set(corso_fmt_tests OFF)
  if(corso_tests)
    corso_find_for(${corso_want_fmt_tests} fmt fmt libfmt-dev "fmt tests" CORSO_BUILD_FMT_TESTS corso_fmt_tests)
  endif()
endmacro()

macro(corso_find_benchmark)
  corso_want(CORSO_BUILD_BENCHMARKS corso_want_benchmarks)
  corso_find_for(${corso_want_benchmarks} benchmark "Google Benchmark" libbenchmark-dev benchmarks
                 CORSO_BUILD_BENCHMARKS corso_benchmarks)
endmacro()
