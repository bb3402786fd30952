# Turns a gettext catalog into rows of a C++ table: {"msgid", "msgstr"},
#   cmake -DPO=po/ja.po -DOUT=catalog.inc -P poTable.cmake
# A catalog string is written with C escapes, so each quoted piece is a C++ literal as it
# stands; pieces are checked to be one whole literal, so that nothing else reaches the
# compiler. The header, untranslated and fuzzy entries are left out, as msgfmt does: their
# messages stay in the source language. Plural forms and contexts are refused, not lost.
cmake_minimum_required(VERSION 3.20)

file(READ "${PO}" text)
# One list item per line: the list separator and brackets of the text are hidden first.
string(ASCII 1 semicolon)
string(ASCII 2 openBracket)
string(ASCII 3 closeBracket)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${openBracket}" text "${text}")
string(REPLACE "]" "${closeBracket}" text "${text}")
string(REPLACE "\r" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(rows "// Generated from ${PO} by poTable.cmake: edit the catalog, not this file.\n")
set(msgid "")
set(msgstr "")
set(fuzzy OFF)
set(field "")

# Writes the entry read so far as a row when it is a translated message.
macro(flushEntry)
  if(NOT field STREQUAL "" AND NOT msgid MATCHES "^( *\"\")*$" AND NOT fuzzy
     AND NOT msgstr MATCHES "^( *\"\")*$")
    string(APPEND rows "{${msgid},\n ${msgstr}},\n")
  endif()
  set(msgid "")
  set(msgstr "")
  set(fuzzy OFF)
  set(field "")
endmacro()

set(number 0)
foreach(line IN LISTS lines)
  math(EXPR number "${number} + 1")
  string(REPLACE "${semicolon}" ";" line "${line}")
  string(REPLACE "${openBracket}" "[" line "${line}")
  string(REPLACE "${closeBracket}" "]" line "${line}")
  string(STRIP "${line}" line)
  if(line STREQUAL "")
    flushEntry()
  elseif(line MATCHES "^#,.*fuzzy")
    set(fuzzy ON)
  elseif(line MATCHES "^#")
    # a comment, a reference or other flags
  elseif(line MATCHES "^(msgid|msgstr) +(\".*)$")
    if(CMAKE_MATCH_1 STREQUAL "msgid" AND NOT field STREQUAL "")
      flushEntry()
    endif()
    set(field ${CMAKE_MATCH_1})
    set(piece "${CMAKE_MATCH_2}")
  elseif(line MATCHES "^\"" AND NOT field STREQUAL "")
    set(piece "${line}")
  else()
    message(FATAL_ERROR "${PO}:${number}: not understood (plural forms and contexts are not supported): ${line}")
  endif()
  if(DEFINED piece)
    if(NOT piece MATCHES "^\"([^\"\\\\]|\\\\.)*\"$")
      message(FATAL_ERROR "${PO}:${number}: not one quoted string: ${piece}")
    endif()
    string(APPEND ${field} " ${piece}")
    unset(piece)
  endif()
endforeach()
flushEntry()
file(WRITE "${OUT}" "${rows}")
