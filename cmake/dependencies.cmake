# What the tests and the benchmarks need, found once. Each sets corso_tests or
# corso_benchmarks: ON requires the dependency, AUTO builds when it is found
# and says so when it is not, OFF builds nothing.

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
      if(corso_want_tests STREQUAL "ON")
        find_package(GTest)
        if(NOT GTest_FOUND)
          message(FATAL_ERROR "GoogleTest not found: the tests need it (Debian's package libgtest-dev), "
                              "or configure with -DCORSO_BUILD_TESTS=OFF")
        endif()
      else()
        find_package(GTest QUIET)
      endif()
      if(GTest_FOUND)
        set(corso_tests ON)
      else()
        message(STATUS "GoogleTest not found: the tests are not built")
      endif()
    endif()
  endif()
endmacro()

macro(corso_find_benchmark)
  corso_want(CORSO_BUILD_BENCHMARKS corso_want_benchmarks)
  set(corso_benchmarks OFF)
  if(corso_want_benchmarks STREQUAL "ON")
    find_package(benchmark)
    if(NOT benchmark_FOUND)
      message(FATAL_ERROR "Google Benchmark not found: the benchmarks need it (Debian's package libbenchmark-dev), "
                          "or configure with -DCORSO_BUILD_BENCHMARKS=OFF")
    endif()
    set(corso_benchmarks ON)
  elseif(corso_want_benchmarks STREQUAL "AUTO")
    find_package(benchmark QUIET)
    if(benchmark_FOUND)
      set(corso_benchmarks ON)
    else()
      message(STATUS "Google Benchmark not found: the benchmarks are not built")
    endif()
  endif()
endmacro()
