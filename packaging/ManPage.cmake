# Makes kelvane.1 and kelvane.1.gz from the program's --help, at build time:
#   cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DOUTPUT=.../kelvane.1 -P ManPage.cmake
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 --include=${INCLUDE} --output=${OUTPUT}.tmp ${PROGRAM}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM}")
endif()

# help2man sees the exit codes as a sub-heading of the options; a man page
# has them in a section of their own, which follows the options.
file(READ ${OUTPUT}.tmp page)
string(REPLACE ".SS \"Exit status:\"" ".SH \"EXIT STATUS\"" page "${page}")
file(WRITE ${OUTPUT} "${page}")
file(REMOVE ${OUTPUT}.tmp)

execute_process(COMMAND gzip -9 -n -f -k ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
