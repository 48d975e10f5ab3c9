# The names of ICU's UErrorCode values come from ICU itself, not from a hand-typed list:
# at configure time a small host program asks the build machine's ICU (libicu-dev) for
# the name of every code in each published range and writes them out as a C++ table.
set(VERIMARK_ICU_TABLE ${CMAKE_BINARY_DIR}/generated/text/IcuErrorNames.inc)
set(generator_source ${CMAKE_SOURCE_DIR}/cmake/IcuErrorNamesGenerator.cpp)
set(generator_binary ${CMAKE_BINARY_DIR}/generated/icu-error-names-generator)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated/text)

find_program(VERIMARK_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
execute_process(
  COMMAND ${VERIMARK_HOST_CXX} -std=c++17 -O1 -o ${generator_binary} ${generator_source} -licuuc
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Cannot build the ICU error-name generator (is libicu-dev installed?):\n${err}")
endif()
execute_process(COMMAND ${generator_binary} OUTPUT_FILE ${VERIMARK_ICU_TABLE}.tmp RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The ICU error-name generator failed")
endif()
file(COPY_FILE ${VERIMARK_ICU_TABLE}.tmp ${VERIMARK_ICU_TABLE} ONLY_IF_DIFFERENT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${generator_source})
