# The plug-in's messages are written once, readable, in UTF-8 tables
# (NAME_messages.utf8.inc beside the module that shows them, rows of
# TELEPOST_MESSAGE(kName, "...")), and compiled in code page 932: at build time
# cmake/cp932_messages.py writes each table's rows again with the texts' code
# page 932 bytes (NAME_messages.inc), and the build fails on a character that
# code page 932 cannot hold.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# telepost_messages(TARGET SCOPE TABLE INCLUDE): converts the table TABLE
# for TARGET, which includes it as INCLUDE (say "ui/ini_notice_messages.inc")
# from a folder of the build tree given to TARGET with SCOPE (PRIVATE, or
# INTERFACE for a header-only library).
function(telepost_messages target scope table include)
  set(root ${CMAKE_CURRENT_BINARY_DIR}/messages/${target})
  set(output ${root}/${include})
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/cp932_messages.py ${table} ${output}
    DEPENDS ${table} ${PROJECT_SOURCE_DIR}/cmake/cp932_messages.py
    VERBATIM)
  string(MAKE_C_IDENTIFIER ${include} name)
  add_custom_target(${target}_${name} DEPENDS ${output})
  add_dependencies(${target} ${target}_${name})
  target_include_directories(${target} ${scope} ${root})
endfunction()
