# The plug-in's exports written from their one record, the callback list
# plugin/include/telepost/callbacks.inc: the Windows export file (names and ordinals) and
# the Linux version script, both configured from templates beside the list's
# user, so that the code and the exported ordinals cannot disagree.
#
# telepost_configure_exports(LIST <callbacks.inc> DEF <template> MAP <template>
#                            OUTPUT_DIR <dir>)
# Reads the list and writes <dir>/telepost.def and <dir>/telepost.map. Fails
# when an ordinal is used twice, by a live callback or a retired one, or when
# a name appears twice. Sets TELEPOST_DEF_FILE and TELEPOST_MAP_FILE in the
# caller's scope.
function(telepost_configure_exports)
  cmake_parse_arguments(ARG "" "LIST;DEF;MAP;OUTPUT_DIR" "" ${ARGN})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_LIST})
  set(entry "TELEPOST_CALLBACK\\(([0-9]+), *([A-Za-z_][A-Za-z0-9_]*)[,)]")
  file(STRINGS ${ARG_LIST} lines)
  set(ordinals "")
  set(names "")
  set(def_exports "")
  set(map_exports "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^// retired: ${entry}")
      set(retired TRUE)
    elseif(line MATCHES "^${entry}")
      set(retired FALSE)
    else()
      continue()
    endif()
    set(ordinal ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(ordinal IN_LIST ordinals)
      message(FATAL_ERROR "${ARG_LIST}: ordinal ${ordinal} (${name}) is already taken")
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${ARG_LIST}: ${name} is listed twice")
    endif()
    list(APPEND ordinals ${ordinal})
    list(APPEND names ${name})
    # Columns as a person would align them: the name padded to 24.
    string(LENGTH "${name}" length)
    math(EXPR padding "24 - ${length}")
    if(padding LESS 1)
      set(padding 1)
    endif()
    string(REPEAT " " ${padding} gap)
    if(retired)
      string(APPEND def_exports ";   ${name}${gap}@${ordinal}  (retired: never reuse)\n")
    else()
      string(APPEND def_exports "    ${name}${gap}@${ordinal}\n")
      string(APPEND map_exports "    ${name};\n")
    endif()
  endforeach()
  if(NOT def_exports)
    message(FATAL_ERROR "${ARG_LIST}: no callbacks found")
  endif()
  # Each list fills the template's line of its own.
  string(REGEX REPLACE "\n$" "" TELEPOST_DEF_EXPORTS "${def_exports}")
  string(REGEX REPLACE "\n$" "" TELEPOST_MAP_EXPORTS "${map_exports}")
  configure_file(${ARG_DEF} ${ARG_OUTPUT_DIR}/telepost.def @ONLY)
  configure_file(${ARG_MAP} ${ARG_OUTPUT_DIR}/telepost.map @ONLY)
  set(TELEPOST_DEF_FILE ${ARG_OUTPUT_DIR}/telepost.def PARENT_SCOPE)
  set(TELEPOST_MAP_FILE ${ARG_OUTPUT_DIR}/telepost.map PARENT_SCOPE)
endfunction()
