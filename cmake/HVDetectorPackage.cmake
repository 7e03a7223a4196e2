# `cpack -G DEB` (scripts/package runs it) makes hvdetector_<version>_<arch>.deb with the host,
# its manual page and sample data, and hvdetector-dev_<version>_<arch>.deb with the library,
# its headers and the CMake package configuration, both installing into /usr.
set(CPACK_PACKAGE_NAME hvdetector)
set(CPACK_PACKAGE_VENDOR "Corvantis")
set(CPACK_PACKAGE_CONTACT "HVDetector developers <hvdetector@${HVDETECTOR_SITE_DOMAIN}>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)

set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.${HVDETECTOR_SITE_DOMAIN}/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Run-time dependencies come from what the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME hvdetector)
# libcurl is loaded by name when the first transfer needs it, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libcurl4 (>= 7.88)")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
# The first line is the synopsis; cpack indents the rest and marks the empty line.
set(hvdetector_about "HVDetector looks after a vendor's desktop application on the visitor's
machine: it detects which editions and document types are installed, fetches
documents and installers from the vendor's own domain only, and opens or runs
them.
")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "browser-embedded control library - command-line host
${hvdetector_about}
This package holds hvdetector, the command-line host that plays the part of
the browser page, its manual page and a sample registry store, and the
native-messaging host that brings the control to the vendor's pages in
Chromium, Google Chrome and Firefox.")

# The browsers' manifests in /etc are the administrator's to change: dpkg keeps their changes.
if(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS)
  file(WRITE ${PROJECT_BINARY_DIR}/deb-runtime/conffiles
    "/etc/chromium/native-messaging-hosts/com.corvantis.hvdetector.json\n"
    "/etc/opt/chrome/native-messaging-hosts/com.corvantis.hvdetector.json\n")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb-runtime/conffiles)
endif()

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME hvdetector-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libcurl4-openssl-dev | libcurl-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "browser-embedded control library - development files
${hvdetector_about}
This package holds the static libraries, their headers and the CMake package
configuration: find_package(HVDetector) gives HVDetector::core and
HVDetector::posix.")

include(CPack)
