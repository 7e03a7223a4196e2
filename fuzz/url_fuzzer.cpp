// Feeds arbitrary URLs to the domain check and the naming routines. Whatever the input, each
// routine answers or raises one of its own script errors; a URL that passes the check names a
// host in the vendor's domain as a transfer library and as a browser read it; and a local file
// name that is accepted stays inside the temporary folder.
#include <curl/curl.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "download/download_naming.h"
#include "download/site_domain.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

void require(bool condition, const char* what, TextView input) {
  if (condition)
    return;
  std::fprintf(stderr, "broken: %s\ninput: %s\n", what, toUtf8(input).c_str());
  std::abort();
}

// Runs `call`; a script error must carry one of `numbers`. Returns whether it ran through.
template <typename Call>
bool runsOrRaises(Call call, std::initializer_list<std::int32_t> numbers, const char* what,
                  TextView input) {
  try {
    call();
    return true;
  } catch (const ScriptError& e) {
    bool known = false;
    for (const auto n : numbers)
      known = known || e.number() == n;
    require(known, what, input);
    return false;
  }
}

bool inDomain(std::string_view host) {
  return host.ends_with(toUtf8(siteDomainSuffix()));
}

// The host libcurl would connect to, read with the same leniency its transfers use.
std::optional<std::string> transferLibraryHost(const std::string& url) {
  CURLU* handle = curl_url();
  std::optional<std::string> host;
  const unsigned flags = CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE;
  char* part = nullptr;
  if (curl_url_set(handle, CURLUPART_URL, url.c_str(), flags) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
    host = part;
    curl_free(part);
  }
  curl_url_cleanup(handle);
  return host;
}

bool isSpecialScheme(std::string scheme) {
  for (char& c : scheme)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* special : {"http", "https", "ftp", "ws", "wss", "file"}) {
    if (scheme == special)
      return true;
  }
  return false;
}

// The host as a browser's URL parser reads it: blanks and controls trimmed, tabs and line breaks
// dropped, "\" taken for "/" and any number of slashes accepted after a web scheme.
std::optional<std::string> browserHost(std::string url) {
  std::erase_if(url, [](char c) { return c == '\t' || c == '\n' || c == '\r'; });
  const auto first = url.find_first_not_of(std::string_view("\0 ", 2));
  url = first == std::string::npos ? "" : url.substr(first);
  const auto colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0])))
    return std::nullopt;
  const bool special = isSpecialScheme(url.substr(0, colon));
  std::size_t start = colon + 1;
  if (special) {
    while (start < url.size() && (url[start] == '/' || url[start] == '\\'))
      ++start;
  } else if (url.compare(start, 2, "//") == 0) {
    start += 2;
  } else {
    return std::nullopt;
  }
  const auto end = url.find_first_of(special ? "/\\?#" : "/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? end : end - start);
  const auto at = authority.rfind('@');
  std::string host = at == std::string::npos ? authority : authority.substr(at + 1);
  return host.substr(0, host.find(':'));
}

void checkDomain(TextView url) {
  bool passes = false;
  runsOrRaises([&] { passes = passesHostTest(url); }, {9}, "host test raised", url);
  const bool accepted =
      runsOrRaises([&] { requireSiteDomain(url); }, {-200002, 9}, "domain check raised", url);
  require(accepted == passes, "the two forms of the check disagree", url);
  if (!passes)
    return;
  const std::string utf8 = toUtf8(url);
  if (const auto host = transferLibraryHost(utf8))
    require(inDomain(*host), "transfer library reaches another host", url);
  if (const auto host = browserHost(utf8))
    require(inDomain(*host), "browser reaches another host", url);
}

void checkStaysInFolder(TextView name) {
  namespace fs = std::filesystem;
  const fs::path folder = "/hv-temp";
  const fs::path joined = (folder / fs::path(toUtf8(name))).lexically_normal();
  require(joined.has_filename() && joined.parent_path() == folder, "name leaves the folder", name);
  require(name.find_first_of(u"\\:") == TextView::npos, "name has a Windows path", name);
}

void checkPlainName(TextView name) {
  if (runsOrRaises([&] { requirePlainFileName(name); }, {52}, "name check raised", name))
    checkStaysInFolder(name);
}

void checkNaming(TextView url) {
  checkPlainName(url);
  Text remoteName;
  if (!runsOrRaises([&] { remoteName = getFileNameFromURL(url); }, {-200000, 5, 6},
                    "file name from URL raised", url))
    return;
  checkPlainName(remoteName);
  Variant parts;
  if (!runsOrRaises([&] { parts = getFileNameParts(remoteName); }, {5, 6}, "file name parts raised",
                    url))
    return;
  const double stamp = 63921449486000.0 + 1000.0 * static_cast<double>(url.size() % 5);
  checkPlainName(timeStampedFileName(parts.array()[0].text(), stamp, parts.array()[1].text()));
}

}  // namespace
}  // namespace hv

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const hv::Text url = hv::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  hv::checkDomain(url);
  hv::checkNaming(url);
  return 0;
}
