# The manual page is made from `hvdetector --help` and `--version` by help2man, so a command or
# option added to the host is in it with the next build. Without help2man a plain build goes on
# without the page; HVDETECTOR_MANPAGE=ON (as the packaging script sets) makes it required.
#
# Run as a script (cmake -P) by the build, this file makes the page itself: help2man takes only
# the first line of --version (the lines after it would land under the last section, FILES), and
# the help's "Exit status:" block becomes the page's EXIT STATUS section instead of a subsection
# of OPTIONS.
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version_text
    COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "\n.*" "" version_line "${version_text}")
  execute_process(COMMAND ${HELP2MAN} --no-info --section=1
      "--name=host the HVDetector controls as a browser page would"
      "--version-string=${version_line}" --output=${OUTPUT} ${PROGRAM}
    COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${OUTPUT} page)
  string(FIND "${page}" ".SS \"Exit status:\"" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "hvdetector --help has no \"Exit status:\" block for the manual page")
  endif()
  string(REPLACE ".SS \"Exit status:\"" ".SH \"EXIT STATUS\"" page "${page}")
  file(WRITE ${OUTPUT} "${page}")
  return()
endif()

option(HVDETECTOR_MANPAGE "Require help2man and build the manual page" OFF)
find_program(HVDETECTOR_HELP2MAN help2man)
if(NOT HVDETECTOR_HELP2MAN)
  if(HVDETECTOR_MANPAGE)
    message(FATAL_ERROR "HVDETECTOR_MANPAGE needs help2man to make the manual page "
      "(scripts/setup installs it)")
  endif()
  message(STATUS "help2man not found: the manual page is neither built nor installed")
  return()
endif()

set(hvdetector_manpage ${PROJECT_BINARY_DIR}/hvdetector.1)
add_custom_command(OUTPUT hvdetector.1 hvdetector.1.gz
  COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HVDETECTOR_HELP2MAN} -DPROGRAM=$<TARGET_FILE:hvdetector>
    -DOUTPUT=${hvdetector_manpage} -P ${CMAKE_CURRENT_LIST_FILE}
  COMMAND gzip -9nkf ${hvdetector_manpage}
  DEPENDS hvdetector ${CMAKE_CURRENT_LIST_FILE} VERBATIM)
add_custom_target(hvdetector_manpage ALL DEPENDS hvdetector.1 hvdetector.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/hvdetector.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT runtime)

# The messaging host's page, made the same way from its own --help and --version.
set(hvdetector_messaging_manpage ${PROJECT_BINARY_DIR}/hvdetector-messaging-host.1)
add_custom_command(OUTPUT hvdetector-messaging-host.1 hvdetector-messaging-host.1.gz
  COMMAND ${HVDETECTOR_HELP2MAN} --no-info --section=1
    "--name=bring HVDetector's Base to the vendor's pages in a browser"
    --output=${hvdetector_messaging_manpage} $<TARGET_FILE:hvdetector-messaging-host>
  COMMAND gzip -9nkf ${hvdetector_messaging_manpage}
  DEPENDS hvdetector-messaging-host VERBATIM)
add_custom_target(hvdetector_messaging_manpage ALL
  DEPENDS hvdetector-messaging-host.1 hvdetector-messaging-host.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/hvdetector-messaging-host.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
