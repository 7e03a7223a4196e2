#include "transfer/response_headers.h"

#include <algorithm>

#include "runtime/text_compare.h"
#include "transfer/transfer_rules.h"

namespace hv {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool isDecimal(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

// Leading zeros do not change a length.
std::string_view withoutLeadingZeros(std::string_view digits) {
  const auto first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? "0" : digits.substr(first);
}

std::optional<FramingFault> lengthFault(const std::vector<std::string_view>& lengths) {
  for (std::string_view length : lengths) {
    if (!isDecimal(length))
      return FramingFault{FramingFault::kLength, "Invalid Content-Length: value"};
    if (withoutLeadingZeros(length) != withoutLeadingZeros(lengths.front()))
      return FramingFault{FramingFault::kLength, "Conflicting Content-Length values"};
  }
  return std::nullopt;
}

std::optional<FramingFault> codingFault(const std::vector<std::string_view>& fields) {
  std::vector<std::string_view> codings;
  for (std::string_view field : fields) {
    for (std::size_t at = 0; at <= field.size();) {
      const auto comma = std::min(field.find(',', at), field.size());
      if (const auto coding = trimmed(field.substr(at, comma - at)); !coding.empty())
        codings.push_back(coding);
      at = comma + 1;
    }
  }
  if (codings.empty() || (codings.size() == 1 && equalsIgnoringAsciiCase(codings[0], "chunked")))
    return std::nullopt;
  std::string list;
  for (std::string_view coding : codings)
    list += (list.empty() ? "" : ", ") + std::string(coding);
  return FramingFault{FramingFault::kCoding, "Unsupported Transfer-Encoding: " + serverText(list)};
}

}  // namespace

void ResponseHeaders::addLine(std::string_view line) {
  const auto colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos)
    return;
  const std::string_view name = line.substr(0, colon);
  if (name.find_first_of(kBlanks) != std::string_view::npos)
    return;
  fields_.emplace_back(name, trimmed(line.substr(colon + 1)));
}

const std::string* ResponseHeaders::find(std::string_view name) const {
  for (const auto& [key, value] : fields_) {
    if (equalsIgnoringAsciiCase(name, key))
      return &value;
  }
  return nullptr;
}

std::vector<std::string_view> ResponseHeaders::valuesOf(std::string_view name) const {
  std::vector<std::string_view> values;
  for (const auto& [key, value] : fields_) {
    if (equalsIgnoringAsciiCase(name, key))
      values.emplace_back(value);
  }
  return values;
}

std::optional<FramingFault> ResponseHeaders::framingFault() const {
  const auto lengths = valuesOf("Content-Length");
  const auto codings = valuesOf("Transfer-Encoding");
  if (auto fault = lengthFault(lengths))
    return fault;
  if (auto fault = codingFault(codings))
    return fault;
  // The two need not agree, and which one a reader believes decides what the file holds.
  if (!lengths.empty() && !codings.empty()) {
    return FramingFault{FramingFault::kLength,
                        "Both Content-Length and Transfer-Encoding: the body is framed two ways"};
  }
  return std::nullopt;
}

}  // namespace hv
