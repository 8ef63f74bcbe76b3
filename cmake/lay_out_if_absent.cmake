# cmake -DTARGET=<file> [-DTOOL=<program> -DARGS=<a|b|...>] [-DLINES=<a|b|...>] -P lay_out_if_absent.cmake
# Lays a file into the program folder only where it is absent, so that a rebuild never
# overwrites what a user made there (tables with records, changed settings).
if(EXISTS "${TARGET}")
  return()
endif()
if(DEFINED TOOL)
  string(REPLACE "|" ";" args "${ARGS}")
  execute_process(COMMAND "${TOOL}" ${args} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not lay out ${TARGET}")
  endif()
else()
  string(REPLACE "|" "\n" content "${LINES}")
  file(WRITE "${TARGET}" "${content}\n")
endif()
