# Fails when clang-format would change any tracked C or C++ source:
#   cmake -DCLANG_FORMAT=clang-format -DROOT=<repository> -P cmake/check_format.cmake
execute_process(COMMAND git -C ${ROOT} ls-files -- *.c *.cpp *.h
                OUTPUT_VARIABLE files OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE listed)
if(NOT listed EQUAL 0 OR files STREQUAL "")
  message(FATAL_ERROR "could not list the tracked sources of ${ROOT}")
endif()
string(REPLACE "\n" ";" files "${files}")
list(LENGTH files count)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files} WORKING_DIRECTORY ${ROOT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "clang-format would change the files above: run clang-format -i on them")
endif()
message(STATUS "${count} sources formatted")
