#include "posix/connect_to_record.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "posix/libcurl.h"

namespace hv {
namespace {

// The flags libcurl's own transfer parses a URL with.
// A blank is allowed: the transfer sends such a URL, and the entry it goes through is taken.
constexpr unsigned kAsTheTransferParses =
    CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE;

struct HostAndPort {
  std::string host;
  unsigned port;
};

// The host as libcurl connects to it (an IPv6 address in brackets) and the port, the scheme's
// own when the URL names none.
std::optional<HostAndPort> hostAndPortOf(const std::string& url) {
  const Libcurl& curl = libcurl();
  const std::unique_ptr<CURLU, decltype(curl.url_cleanup)> parsed(curl.url(), curl.url_cleanup);
  if (!parsed || libcurl().url_set(parsed.get(), CURLUPART_URL, url.c_str(),
                                   kAsTheTransferParses) != CURLUE_OK)
    return std::nullopt;
  char* host = nullptr;
  char* port = nullptr;
  std::optional<HostAndPort> result;
  if (libcurl().url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      libcurl().url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    result = HostAndPort{host, static_cast<unsigned>(std::stoul(port))};
  }
  libcurl().free(host);
  libcurl().free(port);
  return result;
}

}  // namespace

ConnectToRecord::ConnectToRecord(const std::vector<std::string>& entries) {
  for (const auto& text : entries) {
    try {
      entries_.push_back({text, ConnectToEntry::parse(text)});
    } catch (const std::invalid_argument&) {
    }
  }
}

std::optional<std::string> ConnectToRecord::noteRequest(const std::string& url) {
  anyRequest_ = true;
  if (entries_.empty())
    return std::nullopt;
  const auto target = hostAndPortOf(url);
  if (!target)
    return "the URL's host";
  for (auto& entry : entries_) {
    if (entry.parsed.matches(target->host, target->port)) {
      entry.taken = true;
      return std::nullopt;
    }
  }
  return target->host + " port " + std::to_string(target->port);
}

std::vector<std::string> ConnectToRecord::unmatched() const {
  std::vector<std::string> texts;
  for (const auto& entry : entries_) {
    if (anyRequest_ && !entry.taken && std::ranges::find(texts, entry.text) == texts.end())
      texts.push_back(entry.text);
  }
  return texts;
}

}  // namespace hv
