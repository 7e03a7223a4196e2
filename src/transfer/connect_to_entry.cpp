#include "transfer/connect_to_entry.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "runtime/text_compare.h"

namespace hv {
namespace {

// Colons inside brackets belong to an IPv6 address.
std::vector<std::string> fieldsOf(const std::string& text) {
  std::vector<std::string> fields(1);
  int depth = 0;
  for (const char c : text) {
    if (c == '[' && ++depth > 1)
      throw std::invalid_argument("nested brackets");
    if (c == ']' && --depth < 0)
      throw std::invalid_argument("a ']' without its '['");
    if (c == ':' && depth == 0)
      fields.emplace_back();
    else
      fields.back() += c;
  }
  if (depth != 0)
    throw std::invalid_argument("a '[' without its ']'");
  return fields;
}

std::optional<unsigned> portIn(const std::string& field) {
  if (field.empty())
    return std::nullopt;
  const bool digits =
      field.size() <= 5 && std::ranges::all_of(field, [](char c) { return c >= '0' && c <= '9'; });
  const unsigned port = digits ? static_cast<unsigned>(std::stoul(field)) : 0;
  if (port < 1 || port > 65535)
    throw std::invalid_argument("port \"" + field + "\" is not a number from 1 to 65535");
  return port;
}

}  // namespace

ConnectToEntry ConnectToEntry::parse(const std::string& text) {
  const auto unprintable = [](char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f;
  };
  if (std::ranges::any_of(text, unprintable))
    throw std::invalid_argument("a blank or control character in \"" + text + "\"");
  const std::vector<std::string> fields = fieldsOf(text);
  if (fields.size() != 4)
    throw std::invalid_argument("expected HOST:PORT:ADDR:PORT, got \"" + text + "\"");
  if (fields[2].empty())
    throw std::invalid_argument("no address to connect to in \"" + text + "\"");
  return {fields[0], portIn(fields[1]), fields[2], portIn(fields[3])};
}

bool ConnectToEntry::matches(const std::string& requestHost, unsigned requestPort) const {
  const bool hostMatches = host.empty() || equalsIgnoringAsciiCase(host, requestHost);
  return hostMatches && (!port || *port == requestPort);
}

}  // namespace hv
