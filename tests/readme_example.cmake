# Runs the README's C++ example and compares each line it prints with the
# comment that ends the matching std::cout line of the example. EXAMPLE is the
# command: the program, after the emulator of a cross build.
execute_process(COMMAND ${EXAMPLE} OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the README example exited with ${status}")
endif()
# A Windows host's text streams end lines with CR LF.
string(REPLACE "\r\n" "\n" out "${out}")
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "the README example printed\n${out}\nbut its comments say\n${expected}")
endif()
