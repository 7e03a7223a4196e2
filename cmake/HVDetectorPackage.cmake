# `cpack -G DEB` (scripts/package runs it) makes hvdetector_<version>_<arch>.deb with the host,
# its manual page and sample data, and hvdetector-dev_<version>_<arch>.deb with the library,
# its headers and the CMake package configuration, both installing into /usr; and
# hvdetector-browser-policy_<version>_all.deb, which administrators install on purpose.
set(CPACK_PACKAGE_NAME hvdetector)
set(CPACK_PACKAGE_VENDOR "Corvantis")
set(CPACK_PACKAGE_CONTACT "HVDetector developers <hvdetector@${HVDETECTOR_SITE_DOMAIN}>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development browser_policy)

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

# The browser's manifest in /etc is the administrator's to change: dpkg keeps their changes.
if(HVDETECTOR_SYSTEM_BROWSER_MANIFESTS)
  file(WRITE ${PROJECT_BINARY_DIR}/deb-runtime/conffiles
    "/etc/chromium/native-messaging-hosts/${HVDETECTOR_NATIVE_HOST}.json\n")
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

# The administrators' policies, where Debian's browsers read them: Chromium every file in
# /etc/chromium/policies/managed/, Firefox ESR the one /etc/firefox/policies/policies.json (read
# before the copy in its installation's distribution folder). Only a package installs them: a
# plain `cmake --install` to /usr leaves the machine's browsers as they are.
set(policy_files /etc/firefox/policies/policies.json)
install(FILES ${HVDETECTOR_BROWSER_POLICIES}/firefox.json DESTINATION /etc/firefox/policies
  RENAME policies.json COMPONENT browser_policy EXCLUDE_FROM_ALL)
if(HVDETECTOR_EXTENSION_KEY)
  list(APPEND policy_files /etc/chromium/policies/managed/${HVDETECTOR_NATIVE_HOST}.json)
  install(FILES ${HVDETECTOR_BROWSER_POLICIES}/chromium.json
    DESTINATION /etc/chromium/policies/managed RENAME ${HVDETECTOR_NATIVE_HOST}.json
    COMPONENT browser_policy EXCLUDE_FROM_ALL)
endif()
install(FILES packaging/deb/copyright ${PROJECT_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hvdetector-browser-policy COMPONENT browser_policy
  EXCLUDE_FROM_ALL)
list(JOIN policy_files "\n" policy_conffiles)
file(WRITE ${PROJECT_BINARY_DIR}/deb-browser-policy/conffiles "${policy_conffiles}\n")
set(CPACK_DEBIAN_BROWSER_POLICY_PACKAGE_NAME hvdetector-browser-policy)
set(CPACK_DEBIAN_BROWSER_POLICY_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_BROWSER_POLICY_PACKAGE_SECTION web)
set(CPACK_DEBIAN_BROWSER_POLICY_PACKAGE_ENHANCES "chromium, firefox-esr")
set(CPACK_DEBIAN_BROWSER_POLICY_PACKAGE_CONTROL_EXTRA
  ${PROJECT_BINARY_DIR}/deb-browser-policy/conffiles)
set(CPACK_DEBIAN_BROWSER_POLICY_DESCRIPTION "browser-embedded control library - browsers' policies
${hvdetector_about}
This package makes the machine's browsers install the HVDetector extension
from the vendor's site and let it reach the messaging host: Firefox ESR's
policies.json, and Chromium's managed policy when the vendor's build has one.
Firefox ESR reads a single policies.json: this package owns it.")

# The same policies as the Windows installer's BrowserPolicy feature writes them, as rows under
# HKLM\SOFTWARE\Policies read from the two files above (scripts/package-windows includes them):
# Chrome and Edge take each list entry as a value named by its position, Firefox its
# ExtensionSettings as one JSON text. Brackets are the installer's property syntax.
function(hvdetector_policy_row key name value)
  string(REGEX REPLACE "([][])" "[\\\\\\1]" value "${value}")
  string(REPLACE "&" "&amp;" value "${value}")
  string(REPLACE "<" "&lt;" value "${value}")
  string(REPLACE "\"" "&quot;" value "${value}")
  string(APPEND policy_rows "  <RegistryValue Root=\"HKLM\" Key=\"SOFTWARE\\Policies\\${key}\" "
    "Name=\"${name}\" Type=\"string\" Value=\"${value}\"${ARGN} />\n")
  set(policy_rows "${policy_rows}" PARENT_SCOPE)
endfunction()
file(READ ${HVDETECTOR_BROWSER_POLICIES}/firefox.json firefox_policy)
string(JSON firefox_settings GET "${firefox_policy}" policies ExtensionSettings)
string(REGEX REPLACE "\n *" "" firefox_settings "${firefox_settings}")
set(policy_rows "")
hvdetector_policy_row("Mozilla\\Firefox" ExtensionSettings "${firefox_settings}" " KeyPath=\"yes\"")
if(HVDETECTOR_EXTENSION_KEY)
  file(READ ${HVDETECTOR_BROWSER_POLICIES}/chromium.json chromium_policy)
  foreach(browser "Google\\Chrome" "Microsoft\\Edge")
    foreach(list ExtensionInstallForcelist NativeMessagingAllowlist)
      string(JSON entries LENGTH "${chromium_policy}" ${list})
      math(EXPR last "${entries} - 1")
      foreach(index RANGE ${last})
        string(JSON entry GET "${chromium_policy}" ${list} ${index})
        math(EXPR position "${index} + 1")
        hvdetector_policy_row("${browser}\\${list}" ${position} "${entry}")
      endforeach()
    endforeach()
  endforeach()
endif()
file(WRITE ${HVDETECTOR_BROWSER_POLICIES}/browser-policy.wxi
  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n${policy_rows}</Include>\n")

include(CPack)
