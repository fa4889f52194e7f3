# cmake -DCLI=... -DTEMPLATE=... -DOUTPUT=... -P GenerateManual.cmake
cmake_minimum_required(VERSION 3.25)
# Fills the command-line manual page's COMMANDS section from the built
# program's own usage texts.
execute_process(COMMAND ${CLI} --manual-commands
  OUTPUT_VARIABLE COMMANDS RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --manual-commands failed: ${errors}")
endif()
string(STRIP "${COMMANDS}" COMMANDS)
file(READ ${TEMPLATE} page)
string(REPLACE "%COMMANDS%" "${COMMANDS}" page "${page}")
file(WRITE ${OUTPUT}.tmp "${page}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
