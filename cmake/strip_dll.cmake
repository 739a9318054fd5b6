# Splits a linked DLL's debug information off into <dll>.debug, strips the
# DLL and makes it name that file (.gnu_debuglink) for debuggers.
#   cmake -DOBJCOPY=... -DSTRIP=... -DDLL=... -DSOURCE_DIR=... -P strip_dll.cmake
# objcopy and strip write the time stamp of a PE file anew: they take it from
# SOURCE_DATE_EPOCH, which is the environment's if set, else the time of the
# sources' last commit (0 outside a git clone), so that it is the same at
# every build of a commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc ERROR_QUIET)
  if(NOT rc EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch 0)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

get_filename_component(folder ${DLL} DIRECTORY)
get_filename_component(name ${DLL} NAME)
foreach(step IN ITEMS "${OBJCOPY};--only-keep-debug;${name};${name}.debug"
                      "${STRIP};--strip-all;${name}"
                      "${OBJCOPY};--add-gnu-debuglink=${name}.debug;${name}")
  execute_process(COMMAND ${step} WORKING_DIRECTORY ${folder} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${step}")
  endif()
endforeach()
