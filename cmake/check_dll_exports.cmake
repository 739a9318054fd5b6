# Checks the built TELEPOST.dll against its .def file: exactly the callbacks
# it lists, under their names and ordinals, and imports from Windows' own
# DLLs only (no C or C++ runtime DLL beside it).
#   cmake -DOBJDUMP=... -DDLL=... -DDEF=... -P check_dll_exports.cmake
# objdump speaks the locale's language; the parsing below reads its English.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE=C ${OBJDUMP} -p ${DLL}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${DLL}")
endif()

# What the .def promises: "name @ordinal" lines.
file(STRINGS ${DEF} def_lines REGEX "^[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]+@[0-9]+")
set(expected "")
foreach(line IN LISTS def_lines)
  string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)[ \t]+@([0-9]+)" _ "${line}")
  list(APPEND expected "${CMAKE_MATCH_2} ${CMAKE_MATCH_1}")
endforeach()

# What the DLL holds: the ordinal base and "[index] name" rows of the name table.
string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" _ "${dump}")
set(base ${CMAKE_MATCH_1})
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([ \t]+\\[[^\n]*\n)+)" _ "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" rows "${CMAKE_MATCH_1}")
set(actual "")
foreach(row IN LISTS rows)
  string(REGEX MATCH "\\[ *([0-9]+)\\] (.*)" _ "${row}")
  math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
  list(APPEND actual "${ordinal} ${CMAKE_MATCH_2}")
endforeach()
list(SORT expected COMPARE NATURAL)
list(SORT actual COMPARE NATURAL)
if(NOT expected STREQUAL actual)
  message(FATAL_ERROR "exports differ from ${DEF}\n expected: ${expected}\n actual:   ${actual}")
endif()
list(LENGTH actual count)

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" name "${import}")
  string(TOUPPER "${name}" upper)
  if(NOT upper MATCHES "^(KERNEL32|USER32|MSVCRT|ADVAPI32|GDI32|NTDLL|API-MS-WIN-.*)\\.DLL$")
    message(FATAL_ERROR "${DLL} imports ${name}, which is not a Windows system DLL")
  endif()
endforeach()
message(STATUS "${count} exports as listed in ${DEF}; imports: ${imports}")
