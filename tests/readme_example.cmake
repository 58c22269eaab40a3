# Runs the README's C++ example and compares each line it prints with the
# comment that ends the matching std::cout line of the example.
execute_process(COMMAND "${EXAMPLE}" OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the README example exited with ${status}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "the README example printed\n${out}\nbut its comments say\n${expected}")
endif()
