# Makes a man page (PAGE and PAGE.gz) from the program's --help, at build time:
#   cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DOUTPUT=.../kelvane.1
#         [-DLOCALE=zh_CN.UTF-8 -DLOCPATH=... -DEXIT_HEADING=退出状态] -P ManPage.cmake
# Without LOCALE the page is English: help2man runs the program in the C
# locale. With it, help2man runs the program and names the sections in that
# locale's language; LOCPATH is where the locale was compiled when the system
# has none.
if(NOT DEFINED EXIT_HEADING)
  set(EXIT_HEADING "Exit status")
  set(EXIT_SECTION "EXIT STATUS")
else()
  set(EXIT_SECTION "${EXIT_HEADING}")
endif()
set(locale_option "")
if(LOCALE)
  set(locale_option "--locale=${LOCALE}")
endif()
if(LOCPATH)
  set(ENV{LOCPATH} "${LOCPATH}")
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 ${locale_option} --include=${INCLUDE} --output=${OUTPUT}.tmp ${PROGRAM}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM}")
endif()

# help2man sees the exit codes as a sub-heading of the options; a man page
# has them in a section of their own, which follows the options.
file(READ ${OUTPUT}.tmp page)
string(REPLACE ".SS \"${EXIT_HEADING}:\"" ".SH \"${EXIT_SECTION}\"" page "${page}")
file(WRITE ${OUTPUT} "${page}")
file(REMOVE ${OUTPUT}.tmp)

execute_process(COMMAND gzip -9 -n -f -k ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
