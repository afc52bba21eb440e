# Turns the JEP106 maker list (app/jep106.txt) into the table that the
# programs compile in. The build runs it whenever the list changes:
#   cmake -DJEP106_LIST=app/jep106.txt -DJEP106_TABLE=jep106_table.inc -P cmake/jep106_table.cmake
# A line the decoder could not rely on (a bank outside 1 to 16, a code
# without its odd parity, the codes 00 and 7F, a maker listed twice or out
# of order) stops the build with its line number.
if(NOT DEFINED JEP106_LIST OR NOT DEFINED JEP106_TABLE)
  message(FATAL_ERROR "usage: cmake -DJEP106_LIST=FILE -DJEP106_TABLE=FILE -P jep106_table.cmake")
endif()

file(READ "${JEP106_LIST}" content)
# One list element a line: the characters CMake lists treat specially are
# set aside first and put back in each name.
string(REPLACE "\r" "" content "${content}")
string(REPLACE ";" "<semicolon>" content "${content}")
string(REPLACE "[" "<open>" content "${content}")
string(REPLACE "]" "<close>" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

set(line_number 0)
set(previous_key -1)
set(offset 0)
set(keys "")
set(offsets "")
set(names "")
foreach(line IN LISTS lines)
  math(EXPR line_number "${line_number} + 1")
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  set(where "${JEP106_LIST}:${line_number}")
  if(NOT line MATCHES "^([0-9]+) ([0-9A-F][0-9A-F]) ([^ ].*)$")
    message(FATAL_ERROR "${where}: expected a bank, a code of two upper-case hex digits and a name")
  endif()
  set(bank "${CMAKE_MATCH_1}")
  set(hex "${CMAKE_MATCH_2}")
  set(name "${CMAKE_MATCH_3}")
  if(bank LESS 1 OR bank GREATER 16)
    message(FATAL_ERROR "${where}: bank ${bank} is not one of 1 to 16")
  endif()
  math(EXPR code "0x${hex}")
  set(bits 0)
  foreach(bit RANGE 7)
    math(EXPR bits "${bits} + ((${code} >> ${bit}) & 1)")
  endforeach()
  math(EXPR odd "${bits} % 2")
  math(EXPR number "${code} & 127")
  if(NOT odd EQUAL 1)
    message(FATAL_ERROR "${where}: code ${hex} lacks its odd parity")
  endif()
  if(number EQUAL 0 OR number EQUAL 127)
    message(FATAL_ERROR "${where}: code ${hex} names no maker (00 is unused, 7F is the continuation code)")
  endif()
  math(EXPR key "(${bank} - 1) * 128 + ${number}")
  if(NOT key GREATER previous_key)
    message(FATAL_ERROR "${where}: bank ${bank} code ${hex} is listed twice or out of order")
  endif()
  set(previous_key ${key})

  string(REPLACE "<semicolon>" ";" name "${name}")
  string(REPLACE "<open>" "[" name "${name}")
  string(REPLACE "<close>" "]" name "${name}")
  if(NOT name MATCHES "^[ -~]+$" OR name MATCHES " $")
    message(FATAL_ERROR "${where}: the name must be printable ASCII without trailing blanks")
  endif()
  string(LENGTH "${name}" length)
  string(REPLACE "\\" "\\\\" escaped "${name}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  string(APPEND keys "    ${key},\n")
  string(APPEND offsets "    ${offset},\n")
  string(APPEND names "    \"${escaped}\\0\"\n")
  math(EXPR offset "${offset} + ${length} + 1")
endforeach()

if(previous_key EQUAL -1)
  message(FATAL_ERROR "${JEP106_LIST}: no maker listed")
endif()
if(offset GREATER 65535)
  message(FATAL_ERROR "${JEP106_LIST}: the names outgrow the 16-bit offsets of the table")
endif()

file(WRITE "${JEP106_TABLE}" "// Generated from app/jep106.txt by cmake/jep106_table.cmake; edit the list, not this file.
// kJep106Keys: (bank - 1) * 128 + the code's seven bits, ascending.
// kJep106NameOffsets: where each maker's name starts in kJep106Names.
constexpr std::uint16_t kJep106Keys[] = {
${keys}};
constexpr std::uint16_t kJep106NameOffsets[] = {
${offsets}};
constexpr char kJep106Names[] =
${names};
")
