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
# prefixes leave that to each user's `hvdetector register-browsers`. Google Chrome's system folder
# lies under /etc/opt, which no Debian package may write: Chrome users register per user.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(system_manifests_default ON)
else()
  set(system_manifests_default OFF)
endif()
option(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS
  "Install the browsers' system-wide host manifests (/etc/chromium, lib/mozilla)"
  ${system_manifests_default})
if(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS)
  set(manifest_name ${HVDETECTOR_NATIVE_HOST}.json)
  install(FILES ${HVDETECTOR_BROWSER_MANIFESTS}/chromium.json
    DESTINATION /etc/chromium/native-messaging-hosts RENAME ${manifest_name} COMPONENT runtime)
  install(FILES ${HVDETECTOR_BROWSER_MANIFESTS}/firefox.json
    DESTINATION lib/mozilla/native-messaging-hosts RENAME ${manifest_name} COMPONENT runtime)
endif()
# Every folder under examples/ lands in the data directory as it stands (the sample registry
# store in registry/), so new sample data needs no rule of its own; scripts stay executable.
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector COMPONENT runtime
  USE_SOURCE_PERMISSIONS)
# The browser bridge's pieces that are not programs: the extension, loaded unpacked as it stands,
# and the page library that the vendor serves from its own site.
install(DIRECTORY ${HVDETECTOR_BROWSER_DIR}/extension/ DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/extension
  COMPONENT runtime)
install(DIRECTORY ${HVDETECTOR_BROWSER_DIR}/page/ DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/page
  COMPONENT runtime)
install(FILES ${HVDETECTOR_SAMPLE_REGISTRATION} DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/registry
  COMPONENT runtime)

set(hvdetector_libraries ${HVDETECTOR_CORE_LAYERS} hvdetector_transfer hvdetector_reg_store
  hvdetector_posix)
install(TARGETS hvdetector_core ${hvdetector_libraries} EXPORT HVDetectorTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
foreach(library IN LISTS hvdetector_libraries)
  hvdetector_strip_installed(${library} ${CMAKE_INSTALL_LIBDIR} development --strip-debug
    --enable-deterministic-archives)
endforeach()
# The headers keep the layout the sources include them by ("runtime/text.h"). The hosts and the
# Windows layers are not part of the library others build on.
install(DIRECTORY src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hvdetector COMPONENT development
  FILES_MATCHING PATTERN "*.h" PATTERN "host" EXCLUDE PATTERN "win32" EXCLUDE
  PATTERN "com" EXCLUDE PATTERN "composition" EXCLUDE)
# Headers that moved keep their old names for this release, each forwarding to the new one: the
# POSIX adapters from platform/posix/ to posix/ (the .reg store to posix/reg_store/), the logic
# every transfer shares from platform/ to transfer/.
function(hvdetector_forward_headers old_folder new_folder)
  file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR}/src CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/${new_folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    set(forward ${PROJECT_BINARY_DIR}/forwarding-headers/${old_folder}/${name})
    file(WRITE ${forward}.new "#pragma once\n// Moved: include \"${header}\" instead.\n#include \"${header}\"\n")
    file(COPY_FILE ${forward}.new ${forward} ONLY_IF_DIFFERENT)
  endforeach()
endfunction()
hvdetector_forward_headers(platform/posix posix)
hvdetector_forward_headers(platform/posix posix/reg_store)
hvdetector_forward_headers(platform transfer)
# The registry port over the store was StoreRegistry, a near anagram of RegistryStore.
file(WRITE ${PROJECT_BINARY_DIR}/forwarding-headers/platform/posix/store_registry.h.new
  "#pragma once\n// Moved: include \"posix/reg_store/posix_registry.h\" instead.\n"
  "#include \"posix/reg_store/posix_registry.h\"\nnamespace hv {\nusing StoreRegistry = PosixRegistry;\n}\n")
file(COPY_FILE ${PROJECT_BINARY_DIR}/forwarding-headers/platform/posix/store_registry.h.new
  ${PROJECT_BINARY_DIR}/forwarding-headers/platform/posix/store_registry.h ONLY_IF_DIFFERENT)
install(DIRECTORY ${PROJECT_BINARY_DIR}/forwarding-headers/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hvdetector COMPONENT development FILES_MATCHING PATTERN "*.h")
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
