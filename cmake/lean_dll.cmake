# The shipped DLL, lean and reproducible (Windows target):
# - its code and that of the static libraries it links is compiled with debug
#   information, source paths mapped to relative ones, and __DATE__ and
#   __TIME__ refused, so that no build folder or clock gets into the bytes;
# - it is linked without a time stamp in its header;
# - after linking, its debug information goes to <dll>.debug beside it, the DLL
#   is stripped and names that file (.gnu_debuglink) for debuggers; the header
#   then gets the time of the last commit (see strip_dll.cmake).
# Two builds of one commit in any two folders give byte-identical files
# (scripts/check-reproducible.sh shows it).

function(telepost_lean_dll target)
  # The target and the static and object libraries it links, at any depth.
  set(pending ${target})
  set(built "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST built)
      continue()
    endif()
    list(APPEND built ${current})
    get_target_property(libraries ${current} LINK_LIBRARIES)
    foreach(library IN LISTS libraries)
      if(TARGET ${library})
        get_target_property(imported ${library} IMPORTED)
        get_target_property(type ${library} TYPE)
        if(NOT imported AND type MATCHES "^(STATIC|OBJECT)_LIBRARY$")
          list(APPEND pending ${library})
        endif()
      endif()
    endforeach()
  endwhile()

  set(maps -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
  cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${PROJECT_BINARY_DIR} NORMALIZE inside)
  if(NOT inside)
    list(APPEND maps -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
  endif()
  foreach(current IN LISTS built)
    target_compile_options(${current} PRIVATE -g ${maps} -Werror=date-time)
  endforeach()
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)

  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJCOPY=${CMAKE_OBJCOPY} -DSTRIP=${CMAKE_STRIP}
            -DDLL=$<TARGET_FILE:${target}> -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/strip_dll.cmake
    VERBATIM)
endfunction()
