# What `cmake --install` puts where. Component `runtime` is the host as a user runs it;
# `development` is the library for building other programs on it.
include(CMakePackageConfigHelpers)

set(hvdetector_doc_dir ${CMAKE_INSTALL_DATADIR}/doc)

# A stripping install (cpack's) strips the program only, and keeps the compiler's notes in it.
# Installed files then lose what Debian's own packaging tools take away: the notes, and from the
# libraries their debugging sections, keeping the symbols a link needs.
function(hvdetector_strip_installed target destination component)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" ${ARGN} --remove-section=.comment
      --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT ${component})
endfunction()

set(hvdetector_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/HVDetector)

install(TARGETS hvdetector RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
hvdetector_strip_installed(hvdetector ${CMAKE_INSTALL_BINDIR} runtime)
# The messaging host is started by browsers, not by people: it goes beside the library's other
# private files, where register-browsers looks for it from bin/.
install(TARGETS hvdetector-messaging-host RUNTIME DESTINATION lib/hvdetector COMPONENT runtime)
hvdetector_strip_installed(hvdetector-messaging-host lib/hvdetector runtime)
# A system install (a package's /usr) lets every user's browsers find the messaging host; other
# prefixes leave that to each user's `hvdetector register-browsers`.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(system_manifests_default ON)
else()
  set(system_manifests_default OFF)
endif()
option(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS
  "Install the browsers' system-wide host manifests (/etc/chromium, /etc/opt/chrome, lib/mozilla)"
  ${system_manifests_default})
if(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS)
  set(manifest_name com.corvantis.hvdetector.json)
  foreach(folder IN ITEMS /etc/chromium/native-messaging-hosts /etc/opt/chrome/native-messaging-hosts)
    install(FILES ${HVDETECTOR_BROWSER_MANIFESTS}/chromium.json DESTINATION ${folder}
      RENAME ${manifest_name} COMPONENT runtime)
  endforeach()
  install(FILES ${HVDETECTOR_BROWSER_MANIFESTS}/firefox.json
    DESTINATION lib/mozilla/native-messaging-hosts RENAME ${manifest_name} COMPONENT runtime)
endif()
# Every folder under examples/ lands in the data directory as it stands (the sample registry
# store in registry/), so new sample data needs no rule of its own; scripts stay executable.
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector COMPONENT runtime
  USE_SOURCE_PERMISSIONS)
install(FILES ${HVDETECTOR_SAMPLE_REGISTRATION} DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/registry
  COMPONENT runtime)

install(TARGETS hvdetector_core hvdetector_posix EXPORT HVDetectorTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
foreach(library IN ITEMS hvdetector_core hvdetector_posix)
  hvdetector_strip_installed(${library} ${CMAKE_INSTALL_LIBDIR} development --strip-debug
    --enable-deterministic-archives)
endforeach()
# The headers keep the layout the sources include them by ("runtime/text.h"). The host and the
# Windows layer are not part of the library others build on.
install(DIRECTORY src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hvdetector COMPONENT development
  FILES_MATCHING PATTERN "*.h" PATTERN "host" EXCLUDE PATTERN "win32" EXCLUDE)
install(EXPORT HVDetectorTargets NAMESPACE HVDetector:: DESTINATION ${hvdetector_cmake_dir}
  COMPONENT development)
configure_package_config_file(cmake/HVDetectorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/HVDetectorConfig.cmake INSTALL_DESTINATION ${hvdetector_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/HVDetectorConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/HVDetectorConfig.cmake
  ${PROJECT_BINARY_DIR}/HVDetectorConfigVersion.cmake
  DESTINATION ${hvdetector_cmake_dir} COMPONENT development)

# Each Debian package carries the copyright and the changelog in its own documentation folder.
add_custom_command(OUTPUT changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/deb/changelog changelog
  COMMAND gzip -9nf changelog
  DEPENDS packaging/deb/changelog VERBATIM)
add_custom_target(hvdetector_changelog ALL DEPENDS changelog.gz)
foreach(component_package IN ITEMS "runtime;hvdetector" "development;hvdetector-dev")
  list(GET component_package 0 component)
  list(GET component_package 1 package)
  install(FILES packaging/deb/copyright ${PROJECT_BINARY_DIR}/changelog.gz
    DESTINATION ${hvdetector_doc_dir}/${package} COMPONENT ${component})
endforeach()
