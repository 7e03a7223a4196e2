# The browser side of the bridge, made from the vendor's settings: the extension as developers load
# it unpacked, as the stores take it, as managed Chromium browsers install it (a CRX signed with the
# vendor's key, beside its update manifest) and as Firefox installs it (an XPI); the page library
# as an ES module, a classic script and an npm package. Everything lands in ${HVDETECTOR_BROWSER_DIR}.
set(HVDETECTOR_BROWSER_DIR ${PROJECT_BINARY_DIR}/browser)
set(browser ${HVDETECTOR_BROWSER_DIR})

# The npm tools the packages are made with come pinned by the browser suite's lock file.
set(HVDETECTOR_NODE_MODULES ${PROJECT_SOURCE_DIR}/tests/browser/node_modules CACHE PATH
  "node_modules holding web-ext (npm ci in tests/browser puts it there)")
set(HVDETECTOR_CHROMIUM /usr/lib/chromium/chromium CACHE FILEPATH
  "The Chromium that packs the signed CRX (its own --pack-extension)")
find_program(HVDETECTOR_NPM npm)

# Writes TEXT to FILE only when it differs, so that what depends on FILE is not made again.
function(hvdetector_write_if_different file text)
  file(WRITE ${file}.new "${text}")
  file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
  file(REMOVE ${file}.new)
endfunction()

# --- The extension -------------------------------------------------------------------------------

# "*." matches the bare domain as well: the scripts' domain rule turns it away, and any port.
set(vendor_pages "\"http://*.${HVDETECTOR_SITE_DOMAIN}/*\", \"https://*.${HVDETECTOR_SITE_DOMAIN}/*\"")
configure_file(extension/manifest.json.in ${browser}/manifest.json @ONLY)
file(READ ${browser}/manifest.json manifest)

# The unpacked extension keeps the id its key gives: the vendor's where the build has the key,
# else the development id every unpacked developers' build shares.
if(HVDETECTOR_EXTENSION_KEY)
  execute_process(COMMAND openssl pkey -in ${HVDETECTOR_EXTENSION_KEY} -pubout -outform DER
    COMMAND openssl base64 -A
    OUTPUT_VARIABLE extension_public_key RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "HVDETECTOR_EXTENSION_KEY: cannot read the public key of ${HVDETECTOR_EXTENSION_KEY}")
  endif()
else()
  set(extension_public_key "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA9IzYseYbQgeO6PquuGqlxOHm2f2oRwes8KnCi6WGr6QfHCrmyOs2V6O//x+pxNdHgdwVNy06IwCS0XqB5g7BBqlmKcXxYUo8kGbOVFE/mxUrYTxVi1nXJoN1vV++ssYw8O5AzJDQS0FubNud1tfbEog+n6YuEbrKka/7IjMLFPG3Eyd85xus3Ecg0Za0+5sNLgFV13p+5mFqVxN0W9C3LfSwMtkanKrIS+MzSEFj9LdwD2vjAcXauQRMpsfDgCwpycDS0tJtg3/JIInBJm3+r0NOyyyeNSS+oLdm49L1OwLSbL7CVYOMjb7+FaXiUwFNa7yJ+zcmIFZuZGn+QLUL+QIDAQAB")
endif()
# Each browser is given only what it knows: a packed or uploaded extension carries no key (the
# store or the CRX's signature fixes its id), Chromium needs no Firefox settings and Firefox
# neither a service worker nor externally_connectable.
string(JSON unpacked_manifest SET "${manifest}" key "\"${extension_public_key}\"")
string(JSON chromium_manifest REMOVE "${manifest}" browser_specific_settings)
string(JSON chromium_manifest REMOVE "${chromium_manifest}" background scripts)
string(JSON firefox_manifest REMOVE "${manifest}" externally_connectable)
string(JSON firefox_manifest REMOVE "${firefox_manifest}" background service_worker)

file(READ ${PROJECT_BINARY_DIR}/vendor.json vendor_json)
set(extension_scripts background.js content.js site_domain.js)
set(extension_icon_sizes 16 32 48 128)
set(extension_files manifest.json vendor.js ${extension_scripts})
foreach(size IN LISTS extension_icon_sizes)
  list(APPEND extension_files icons/icon-${size}.png)
endforeach()
set(extension_folders extension store firefox)
foreach(folder IN LISTS extension_folders)
  foreach(script IN LISTS extension_scripts)
    configure_file(extension/${script} ${browser}/${folder}/${script} COPYONLY)
  endforeach()
  hvdetector_write_if_different(${browser}/${folder}/vendor.js
    "// The vendor's settings this extension was built for.\nexport const VENDOR = Object.freeze(${vendor_json});\n")
endforeach()
hvdetector_write_if_different(${browser}/extension/manifest.json "${unpacked_manifest}\n")
hvdetector_write_if_different(${browser}/store/manifest.json "${chromium_manifest}\n")
hvdetector_write_if_different(${browser}/firefox/manifest.json "${firefox_manifest}\n")

add_executable(hvdetector_write_extension_icons tools/banner/write_extension_icons.cpp
  tools/banner/extension_icon.cpp tools/banner/png_encoder.cpp)
find_package(ZLIB REQUIRED)
target_link_libraries(hvdetector_write_extension_icons PRIVATE hvdetector_banner ZLIB::ZLIB)
set(icons)
foreach(folder IN LISTS extension_folders)
  foreach(size IN LISTS extension_icon_sizes)
    list(APPEND icons ${browser}/${folder}/icons/icon-${size}.png)
  endforeach()
endforeach()
set(icon_commands)
foreach(folder IN LISTS extension_folders)
  list(APPEND icon_commands COMMAND ${CMAKE_COMMAND} -E make_directory ${browser}/${folder}/icons
    COMMAND hvdetector_write_extension_icons ${browser}/${folder}/icons ${extension_icon_sizes})
endforeach()
add_custom_command(OUTPUT ${icons} ${icon_commands} DEPENDS hvdetector_write_extension_icons
  COMMENT "Drawing the extension's icons from the banner" VERBATIM)
set(browser_packages ${icons})
# Everything a package of FOLDER holds, for its command to depend on.
foreach(folder IN LISTS extension_folders)
  list(TRANSFORM extension_files PREPEND ${browser}/${folder}/ OUTPUT_VARIABLE ${folder}_package_files)
endforeach()

# The stores' upload: the files at the archive's top, dated alike so that one build's zip is the
# next one's.
add_custom_command(OUTPUT ${browser}/hvdetector-store.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${browser}/hvdetector-store.zip --format=zip
    "--mtime=2000-01-01 00:00:00" ${extension_files}
  WORKING_DIRECTORY ${browser}/store
  DEPENDS ${store_package_files}
  COMMENT "Packing the store's upload hvdetector-store.zip" VERBATIM)
list(APPEND browser_packages ${browser}/hvdetector-store.zip)
set(browser_installed ${browser}/hvdetector-store.zip)

set(web_ext ${HVDETECTOR_NODE_MODULES}/.bin/web-ext)
if(EXISTS ${web_ext})
  add_custom_command(OUTPUT ${browser}/hvdetector.xpi
    COMMAND ${CMAKE_COMMAND} -E env NO_UPDATE_NOTIFIER=1
      ${web_ext} build --source-dir ${browser}/firefox --artifacts-dir ${browser}
      --filename hvdetector.xpi --overwrite-dest --no-config-discovery
    DEPENDS ${firefox_package_files}
    COMMENT "Packing the Firefox add-on hvdetector.xpi" VERBATIM)
  list(APPEND browser_packages ${browser}/hvdetector.xpi)
  list(APPEND browser_installed ${browser}/hvdetector.xpi)
else()
  message(STATUS "web-ext is not in ${HVDETECTOR_NODE_MODULES}: hvdetector.xpi is not made "
    "(npm ci in tests/browser brings it)")
endif()

if(HVDETECTOR_EXTENSION_KEY)
  # Managed Chromium browsers read the update manifest from the vendor's site and fetch the CRX
  # from beside it.
  string(REGEX REPLACE "/[^/]*$" "/hvdetector.crx" extension_crx_url "${HVDETECTOR_EXTENSION_UPDATE_URL}")
  file(CONFIGURE OUTPUT ${browser}/update.xml CONTENT [[<?xml version='1.0' encoding='UTF-8'?>
<gupdate xmlns='http://www.google.com/update2/response' protocol='2.0'>
  <app appid='@HVDETECTOR_KEY_EXTENSION_ID@'>
    <updatecheck codebase='@extension_crx_url@' version='@PROJECT_VERSION@' />
  </app>
</gupdate>
]] @ONLY)
  if(NOT EXISTS ${HVDETECTOR_CHROMIUM})
    message(FATAL_ERROR "HVDETECTOR_EXTENSION_KEY is set but Chromium (${HVDETECTOR_CHROMIUM}), "
      "which packs the CRX, is not installed: scripts/setup installs the browser group")
  endif()
  # Chromium packs a folder into a CRX beside it; a throwaway profile keeps the user's own out.
  add_custom_command(OUTPUT ${browser}/hvdetector.crx
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${browser}/crx ${browser}/crx.crx ${browser}/pack-profile
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${browser}/store ${browser}/crx
    COMMAND ${HVDETECTOR_CHROMIUM} --pack-extension=${browser}/crx
      --pack-extension-key=${HVDETECTOR_EXTENSION_KEY} --user-data-dir=${browser}/pack-profile
      --no-sandbox --disable-gpu
    COMMAND ${CMAKE_COMMAND} -E rename ${browser}/crx.crx ${browser}/hvdetector.crx
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${browser}/crx ${browser}/pack-profile
    DEPENDS ${store_package_files} ${HVDETECTOR_EXTENSION_KEY}
    COMMENT "Packing hvdetector.crx, signed with the vendor's key" VERBATIM)
  list(APPEND browser_packages ${browser}/hvdetector.crx)
  list(APPEND browser_installed ${browser}/hvdetector.crx ${browser}/update.xml)
else()
  file(REMOVE ${browser}/update.xml ${browser}/hvdetector.crx)
  message(STATUS "HVDETECTOR_EXTENSION_KEY is not set: hvdetector.crx, update.xml and "
    "policies/chromium.json need the vendor's key; the unpacked extension keeps the development id")
endif()

# --- The page library ----------------------------------------------------------------------------

# One source, two builds. The domain rule is the extension's own, taken in; the vendor's settings
# replace the import of VENDOR; the classic script keeps its names to itself but for
# window.HVDetector.
file(READ page/hvdetector.mjs library)
file(READ extension/site_domain.js domain_rule)
string(REGEX REPLACE "(^|\n)export " "\\1" domain_rule "${domain_rule}")
string(REGEX MATCHALL "\nexport (async function|function|class|const) [A-Za-z]+" exported "${library}")
list(TRANSFORM exported REPLACE "\nexport [a-z ]+ " "")
list(JOIN exported ", " exported)
list(JOIN HVDETECTOR_CHROMIUM_EXTENSION_IDS "', '" extension_ids)
set(vendor_constants "// The vendor's settings this library was built for.
const VENDOR = Object.freeze({
  siteDomain: '${HVDETECTOR_SITE_DOMAIN}',
  extensionIds: Object.freeze(['${extension_ids}']),
  version: '${PROJECT_VERSION}',
});
")
# The source opens with its comment, then its imports.
string(REGEX MATCH "^(//[^\n]*\n)+" library_head "${library}")
string(LENGTH "${library_head}" head_length)
string(SUBSTRING "${library}" ${head_length} -1 library_body)
string(REGEX REPLACE "^(import [^\n]*\n)+" "" library_body "${library_body}")
hvdetector_write_if_different(${browser}/page/hvdetector.mjs
  "${library_head}\n${vendor_constants}\n${domain_rule}${library_body}")
string(REGEX REPLACE "(^|\n)export " "\\1" classic_body "${library_body}")
string(REPLACE "\n" "\n  " classic_indented "\n${vendor_constants}\n${domain_rule}${classic_body}")
string(REGEX REPLACE " +\n" "\n" classic_indented "${classic_indented}")
hvdetector_write_if_different(${browser}/page/hvdetector.js
  "${library_head}(() => {\n  'use strict';\n${classic_indented}\n  window.HVDetector = Object.freeze({ ${exported} });\n})();\n")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS page/hvdetector.mjs
  extension/site_domain.js)
configure_file(page/hvdetector.d.ts ${browser}/page/hvdetector.d.ts COPYONLY)
configure_file(page/README.md ${browser}/page/README.md COPYONLY)

# npm takes three-part versions: the last two parts of the project's make the third.
string(REPLACE "." ";" version_parts "${PROJECT_VERSION}")
list(GET version_parts 2 patch)
list(GET version_parts 3 tweak)
math(EXPR npm_patch "${patch} * 10000 + ${tweak}")
set(HVDETECTOR_NPM_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${npm_patch}")
configure_file(page/package.json.in ${browser}/page/package.json @ONLY)
set(page_tarball ${browser}/hvdetector-${HVDETECTOR_NPM_VERSION}.tgz)
if(HVDETECTOR_NPM)
  add_custom_command(OUTPUT ${page_tarball}
    COMMAND ${HVDETECTOR_NPM} pack --pack-destination ${browser} --silent
    WORKING_DIRECTORY ${browser}/page
    DEPENDS ${browser}/page/package.json ${browser}/page/hvdetector.mjs ${browser}/page/hvdetector.js
      ${browser}/page/hvdetector.d.ts ${browser}/page/README.md
    COMMENT "Packing the page library for npm" VERBATIM)
  list(APPEND browser_packages ${page_tarball})
  list(APPEND browser_installed ${page_tarball})
else()
  message(STATUS "npm is not installed: the page library's npm package is not made")
endif()

add_custom_target(hvdetector_browser ALL DEPENDS ${browser_packages})

# What a vendor puts on its site or hands to the stores and to administrators.
install(FILES ${browser_installed} DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/browser
  COMPONENT runtime)
install(DIRECTORY ${HVDETECTOR_BROWSER_POLICIES} DESTINATION ${CMAKE_INSTALL_DATADIR}/hvdetector/browser
  COMPONENT runtime)
