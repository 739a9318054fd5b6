# Build-time guard for the resource script: the settings dialog's compiled
# resource file must keep the bytes the plug-in was tested and photographed
# with. Renames IN to OUT when its SHA-256 is the recorded one, else fails the
# build. After a deliberate change of the dialog, record the new hash here.
#   cmake -DIN=telepost.res.new -DOUT=telepost.res -P check_dialog_res.cmake
set(expected d9b29418ad684c2bc64ec0e95175435ab3910cf69342f4c063e49ae8cd563758)
file(SHA256 ${IN} actual)
if(NOT actual STREQUAL expected)
  file(REMOVE ${IN})
  message(FATAL_ERROR "the compiled settings dialog changed:\n"
                      " SHA-256 ${actual}\n expected ${expected}\n"
                      "check the dialog's bytes, then record the new hash in ${CMAKE_CURRENT_LIST_FILE}")
endif()
file(RENAME ${IN} ${OUT})
