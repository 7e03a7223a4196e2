# The vendor's settings, each written once here and generated into every piece that needs it:
# the library (C++), the messaging hosts' manifests and caller check, the extension, the page
# library and the packages. ${PROJECT_BINARY_DIR}/vendor.json carries them to the generators
# that are not CMake.

# The vendor's web domain is part of the build, not of any configuration a page could reach.
set(HVDETECTOR_SITE_DOMAIN "corvantis.example" CACHE STRING
  "The vendor's web domain, without a leading dot: the library fetches only from hosts under it")
if(NOT HVDETECTOR_SITE_DOMAIN MATCHES "^[a-z0-9-]+(\\.[a-z0-9-]+)*$")
  message(FATAL_ERROR "HVDETECTOR_SITE_DOMAIN must be a lower-case domain name such as "
    "corvantis.example, not '${HVDETECTOR_SITE_DOMAIN}'")
endif()

set(HVDETECTOR_NATIVE_HOST "com.corvantis.hvdetector" CACHE STRING
  "The native-messaging host's name, as browsers know it")
# The rule Chromium holds a host's name to: dot-separated words of lower-case letters, digits
# and underscores.
if(NOT HVDETECTOR_NATIVE_HOST MATCHES "^[a-z0-9_]+(\\.[a-z0-9_]+)*$")
  message(FATAL_ERROR "HVDETECTOR_NATIVE_HOST must be words of a-z, 0-9 and _ joined by dots, "
    "such as com.corvantis.hvdetector, not '${HVDETECTOR_NATIVE_HOST}'")
endif()

set(HVDETECTOR_EXTENSION_KEY "" CACHE FILEPATH
  "The vendor's PEM private key for the Chromium extension (never committed): when set, the build \
packs a signed CRX with it and allows its extension id")
set(HVDETECTOR_EXTENSION_IDS "" CACHE STRING
  "More Chromium extension ids allowed to reach the host (;-separated), e.g. the store's id")
set(HVDETECTOR_FIREFOX_ID "hvdetector@${HVDETECTOR_SITE_DOMAIN}" CACHE STRING
  "The Firefox add-on's id")
set(HVDETECTOR_EXTENSION_UPDATE_URL "https://www.${HVDETECTOR_SITE_DOMAIN}/hvdetector/update.xml"
  CACHE STRING "Where managed Chromium browsers read update.xml (the CRX is served beside it)")

# The id unpacked developers' builds run under, fixed by the development public key in
# cmake/HVDetectorBrowser.cmake.
set(HVDETECTOR_DEVELOPMENT_EXTENSION_ID "egafbdheimjkckgieoggiofnmblcbfdm")

# Chromium's id of an extension: the first 32 hex digits of the SHA-256 of its public key (DER),
# each digit written as a letter from a to p.
function(hvdetector_extension_id_of_key key out)
  execute_process(COMMAND openssl pkey -in ${key} -pubout -outform DER
    COMMAND openssl dgst -sha256 -r
    OUTPUT_VARIABLE digest RESULT_VARIABLE failed ERROR_VARIABLE why)
  if(failed OR NOT digest MATCHES "^[0-9a-f]+")
    message(FATAL_ERROR "HVDETECTOR_EXTENSION_KEY: cannot read ${key} as a PEM private key: ${why}")
  endif()
  string(SUBSTRING "${digest}" 0 32 digest)
  string(REPLACE ";" "" letters "a;b;c;d;e;f;g;h;i;j;k;l;m;n;o;p")
  set(id "")
  foreach(index RANGE 31)
    string(SUBSTRING "${digest}" ${index} 1 digit)
    math(EXPR value "0x${digit}")
    string(SUBSTRING "${letters}" ${value} 1 letter)
    string(APPEND id ${letter})
  endforeach()
  set(${out} ${id} PARENT_SCOPE)
endfunction()

# Every Chromium id the host, the extension's checks and the page library allow. A vendor's
# build (one with a key) no longer allows the development id: anyone can load an unpacked
# extension under it.
set(HVDETECTOR_CHROMIUM_EXTENSION_IDS ${HVDETECTOR_EXTENSION_IDS})
if(HVDETECTOR_EXTENSION_KEY)
  hvdetector_extension_id_of_key(${HVDETECTOR_EXTENSION_KEY} HVDETECTOR_KEY_EXTENSION_ID)
  list(PREPEND HVDETECTOR_CHROMIUM_EXTENSION_IDS ${HVDETECTOR_KEY_EXTENSION_ID})
else()
  list(PREPEND HVDETECTOR_CHROMIUM_EXTENSION_IDS ${HVDETECTOR_DEVELOPMENT_EXTENSION_ID})
endif()
foreach(id IN LISTS HVDETECTOR_CHROMIUM_EXTENSION_IDS)
  # CMake's regular expressions know no counted repeats.
  string(LENGTH "${id}" id_length)
  if(NOT id MATCHES "^[a-p]+$" OR NOT id_length EQUAL 32)
    message(FATAL_ERROR "HVDETECTOR_EXTENSION_IDS: '${id}' is not a Chromium extension id "
      "(32 letters a to p)")
  endif()
endforeach()
list(REMOVE_DUPLICATES HVDETECTOR_CHROMIUM_EXTENSION_IDS)

list(JOIN HVDETECTOR_CHROMIUM_EXTENSION_IDS "\", \"" ids_json)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/vendor.json CONTENT [[{
  "siteDomain": "@HVDETECTOR_SITE_DOMAIN@",
  "nativeHost": "@HVDETECTOR_NATIVE_HOST@",
  "chromiumExtensionIds": ["@ids_json@"],
  "developmentExtensionId": "@HVDETECTOR_DEVELOPMENT_EXTENSION_ID@",
  "firefoxId": "@HVDETECTOR_FIREFOX_ID@",
  "extensionUpdateUrl": "@HVDETECTOR_EXTENSION_UPDATE_URL@",
  "version": "@PROJECT_VERSION@"
}
]] @ONLY)

# The administrators' policies that put the bridge on managed machines: Chromium-family browsers
# force-install the extension from the vendor's update manifest and let it reach the host;
# Firefox force-installs the add-on from the vendor's site. The Chromium one needs the id the
# vendor's key gives, so a build without a key makes only Firefox's.
set(HVDETECTOR_BROWSER_POLICIES ${PROJECT_BINARY_DIR}/browser/policies)
string(REGEX REPLACE "/[^/]*$" "/hvdetector.xpi" HVDETECTOR_FIREFOX_INSTALL_URL
  "${HVDETECTOR_EXTENSION_UPDATE_URL}")
file(CONFIGURE OUTPUT ${HVDETECTOR_BROWSER_POLICIES}/firefox.json CONTENT [[{
  "policies": {
    "ExtensionSettings": {
      "@HVDETECTOR_FIREFOX_ID@": {
        "installation_mode": "force_installed",
        "install_url": "@HVDETECTOR_FIREFOX_INSTALL_URL@"
      }
    }
  }
}
]] @ONLY)
if(HVDETECTOR_EXTENSION_KEY)
  file(CONFIGURE OUTPUT ${HVDETECTOR_BROWSER_POLICIES}/chromium.json CONTENT [[{
  "ExtensionInstallForcelist": ["@HVDETECTOR_KEY_EXTENSION_ID@;@HVDETECTOR_EXTENSION_UPDATE_URL@"],
  "NativeMessagingAllowlist": ["@HVDETECTOR_NATIVE_HOST@"]
}
]] @ONLY)
else()
  file(REMOVE ${HVDETECTOR_BROWSER_POLICIES}/chromium.json)
  message(STATUS "HVDETECTOR_EXTENSION_KEY is not set: the signed CRX, its update.xml and the "
    "Chromium policy are not made (the store zip, the XPI and the Firefox policy are)")
endif()

# Where INSTALL fetches the installer until a page names another place: under the vendor's
# domain like every download, judged as the library judges hosts (no port, no user information
# that could be read two ways), and plain enough to stand in a C++ string.
string(REPLACE "." "\\." HVDETECTOR_SITE_DOMAIN_PATTERN "${HVDETECTOR_SITE_DOMAIN}")
set(HVDETECTOR_INSTALLER_URL
  "https://www.${HVDETECTOR_SITE_DOMAIN}/cvAppDownloads/library/windows/vm/install.exe"
  CACHE STRING "Where the library fetches the installer from by default (under the site domain)")
if(NOT HVDETECTOR_INSTALLER_URL MATCHES
    "^(https?|ftp)://([A-Za-z0-9._~-]+@)?[a-z0-9.-]*\\.${HVDETECTOR_SITE_DOMAIN_PATTERN}/[!$&'()*+,;=A-Za-z0-9._~:@/-]*[^/]$")
  message(FATAL_ERROR "HVDETECTOR_INSTALLER_URL must be an http, https or ftp URL of a file on a "
    "host under .${HVDETECTOR_SITE_DOMAIN}, without a port, not '${HVDETECTOR_INSTALLER_URL}'")
endif()

# The minisign public keys whose signatures make an installer runnable on Linux. Every build
# makes a demo key pair in its own tree (never in the sources) to sign the demo's installer and
# the tests' with; a build without HVDETECTOR_INSTALLER_KEYS trusts that demo key only.
set(HVDETECTOR_INSTALLER_KEYS "" CACHE FILEPATH
  "A file of minisign public keys (.pub files put together): Linux runs only installers they signed")
set(HVDETECTOR_DEMO_SIGNING_KEY ${PROJECT_BINARY_DIR}/demo-signing/demo.key)
set(HVDETECTOR_DEMO_PUBLIC_KEY ${PROJECT_BINARY_DIR}/demo-signing/demo.pub)
if(NOT WIN32)
  find_program(HVDETECTOR_MINISIGN minisign)
  if(HVDETECTOR_MINISIGN AND NOT EXISTS ${HVDETECTOR_DEMO_PUBLIC_KEY})
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/demo-signing)
    execute_process(COMMAND ${HVDETECTOR_MINISIGN} -G -W -f -p ${HVDETECTOR_DEMO_PUBLIC_KEY}
        -s ${HVDETECTOR_DEMO_SIGNING_KEY}
      OUTPUT_QUIET RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
      message(FATAL_ERROR "minisign could not make the demo's signing key: ${why}")
    endif()
  endif()
  if(HVDETECTOR_INSTALLER_KEYS)
    set(keys_file ${HVDETECTOR_INSTALLER_KEYS})
  elseif(HVDETECTOR_MINISIGN)
    set(keys_file ${HVDETECTOR_DEMO_PUBLIC_KEY})
    message(STATUS "HVDETECTOR_INSTALLER_KEYS is not set: only installers signed by the demo key "
      "${keys_file} run")
  else()
    message(FATAL_ERROR "minisign makes the demo's signing key when HVDETECTOR_INSTALLER_KEYS "
      "is not set: install it (scripts/setup), or set HVDETECTOR_INSTALLER_KEYS")
  endif()
  if(NOT EXISTS ${keys_file})
    message(FATAL_ERROR "HVDETECTOR_INSTALLER_KEYS: ${keys_file} does not exist")
  endif()
  file(STRINGS ${keys_file} key_lines)
  set(HVDETECTOR_INSTALLER_KEY_LIST "")
  foreach(line IN LISTS key_lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^untrusted comment:")
      continue()
    endif()
    # "Ed", an 8-byte key id and a 32-byte key, in base64.
    string(LENGTH "${line}" length)
    if(NOT line MATCHES "^RW[A-Za-z0-9+/]+$" OR NOT length EQUAL 56)
      message(FATAL_ERROR "HVDETECTOR_INSTALLER_KEYS: ${keys_file} holds a line that is neither "
        "an untrusted comment nor a minisign public key: '${line}'")
    endif()
    list(APPEND HVDETECTOR_INSTALLER_KEY_LIST ${line})
  endforeach()
  if(NOT HVDETECTOR_INSTALLER_KEY_LIST)
    message(FATAL_ERROR "HVDETECTOR_INSTALLER_KEYS: ${keys_file} holds no minisign public key")
  endif()
endif()

# Windows: whose Authenticode signature an installer must carry before the library runs it, as
# the SHA-256 thumbprints of the signers' certificates. A build that names none trusts only a demo
# code-signing certificate it makes for itself in the build tree (never committed), which the
# tests sign their installers with.
set(HVDETECTOR_INSTALLER_SIGNERS "" CACHE STRING "SHA-256 thumbprints (64 hex digits, \
;-separated) of the certificates whose Authenticode signature an installer must carry on Windows; \
empty: the build's demo certificate only")
if(WIN32)
  set(HVDETECTOR_DEMO_SIGNING_DIR ${PROJECT_BINARY_DIR}/demo-signing)
  set(HVDETECTOR_DEMO_CERTIFICATE ${HVDETECTOR_DEMO_SIGNING_DIR}/demo-code-signing.crt)
  set(HVDETECTOR_DEMO_CERTIFICATE_KEY ${HVDETECTOR_DEMO_SIGNING_DIR}/demo-code-signing.key)
  if(NOT EXISTS ${HVDETECTOR_DEMO_CERTIFICATE})
    file(MAKE_DIRECTORY ${HVDETECTOR_DEMO_SIGNING_DIR})
    execute_process(COMMAND openssl req -x509 -newkey rsa:3072 -sha256 -nodes -days 3650
      -keyout ${HVDETECTOR_DEMO_CERTIFICATE_KEY} -out ${HVDETECTOR_DEMO_CERTIFICATE}
      -subj "/O=Corvantis demo/CN=HVDetector demo installer signing"
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
      RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
      message(FATAL_ERROR "openssl could not make the demo code-signing certificate: ${why}")
    endif()
  endif()
  execute_process(COMMAND openssl x509 -in ${HVDETECTOR_DEMO_CERTIFICATE} -outform DER
    COMMAND openssl dgst -sha256 -r
    OUTPUT_VARIABLE digest RESULT_VARIABLE failed)
  string(SUBSTRING "${digest}" 0 64 HVDETECTOR_DEMO_SIGNER)
  string(TOUPPER "${HVDETECTOR_DEMO_SIGNER}" HVDETECTOR_DEMO_SIGNER)
  if(failed OR NOT HVDETECTOR_DEMO_SIGNER MATCHES "^[0-9A-F]+$")
    message(FATAL_ERROR "openssl could not read ${HVDETECTOR_DEMO_CERTIFICATE}")
  endif()
  set(HVDETECTOR_TRUSTED_SIGNERS "")
  foreach(signer IN LISTS HVDETECTOR_INSTALLER_SIGNERS)
    string(TOUPPER "${signer}" signer)
    string(LENGTH "${signer}" digits)
    if(NOT signer MATCHES "^[0-9A-F]+$" OR NOT digits EQUAL 64)
      message(FATAL_ERROR "HVDETECTOR_INSTALLER_SIGNERS: '${signer}' is not a certificate's "
        "SHA-256 thumbprint (64 hexadecimal digits)")
    endif()
    list(APPEND HVDETECTOR_TRUSTED_SIGNERS ${signer})
  endforeach()
  if(NOT HVDETECTOR_TRUSTED_SIGNERS)
    set(HVDETECTOR_TRUSTED_SIGNERS ${HVDETECTOR_DEMO_SIGNER})
  endif()
  list(JOIN HVDETECTOR_TRUSTED_SIGNERS "\n" signers_lines)
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/installer-signers.txt
    CONTENT "${signers_lines}\n")
endif()

# A thumbprint as C++ writes a CertificateThumbprint: {{0xAD, 0x26, ...}}.
function(hvdetector_thumbprint_initializer thumbprint out)
  string(REGEX REPLACE "([0-9A-F][0-9A-F])" "0x\\1," bytes "${thumbprint}")
  string(REGEX REPLACE ",$" "" bytes "${bytes}")
  set(${out} "{{${bytes}}}" PARENT_SCOPE)
endfunction()
