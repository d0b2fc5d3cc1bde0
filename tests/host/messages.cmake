# The host tests' names for the message numbers of tests/messages.txt: a header of their own, never
# the product's, so that a test compares the product's numbers with the list's.
set(MESSAGE_LIST ${PROJECT_SOURCE_DIR}/tests/messages.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MESSAGE_LIST})
file(STRINGS ${MESSAGE_LIST} messages REGEX "^[A-Z0-9_]+ [0-9]+$")
list(TRANSFORM messages REPLACE "^([A-Z0-9_]+) ([0-9]+)$" "constexpr DWORD \\1 = \\2" OUTPUT_VARIABLE names)
list(TRANSFORM messages REPLACE "^([A-Z0-9_]+) .*$" "    {\"\\1\", \\1}," OUTPUT_VARIABLE rows)
list(JOIN names ";\n" names)  # a ";" in a list item would split it
list(JOIN rows "\n" rows)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/test_generated/message_numbers.h CONTENT [[
// Generated from tests/messages.txt; do not edit.
#pragma once
#include <map>
#include <string>
#include "platform/platform.h"
@names@;
inline const std::map<std::string, DWORD> kMessageList = {
@rows@
};
]] @ONLY)
target_include_directories(host_tests PRIVATE ${CMAKE_BINARY_DIR}/test_generated)
