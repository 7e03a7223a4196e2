#include "messaging/message_table.h"

#include <cstdint>

#include "messaging/frame_reader.h"

namespace hv::testing {
namespace {

using nlohmann::json;

// {"repeat": S, "times": N} anywhere in a message: S N times.
json expanded(const json& value) {
  if (value.is_object() && value.size() == 2 && value.contains("repeat") &&
      value.contains("times")) {
    std::string text;
    for (int i = 0; i < value["times"].get<int>(); ++i)
      text += value["repeat"].get<std::string>();
    return text;
  }
  json copy = value;
  if (value.is_structured()) {
    for (auto& item : copy)
      item = expanded(item);
  }
  return copy;
}

std::string bytesFromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string bytesOf(const json& item, const std::string& origin) {
  if (item.contains("message"))
    return encodeFrame(expanded(item["message"]).dump());
  if (item.contains("open"))
    return encodeFrame(json{{"type", "open"}, {"origin", origin}}.dump());
  if (item.contains("text"))
    return encodeFrame(item["text"].get<std::string>());
  if (item.contains("hex"))
    return encodeFrame(bytesFromHex(item["hex"].get<std::string>()));
  if (item.contains("length")) {
    const auto length = item["length"].get<std::uint32_t>();
    return std::string(reinterpret_cast<const char*>(&length), sizeof length);
  }
  return item.at("bytes").get<std::string>();
}

MessageCase caseOf(const json& row, const json& args, const std::string& origin) {
  MessageCase c{row.at("name").get<std::string>(),
                args.get<std::vector<std::string>>(),
                row.value("registered", true),
                {},
                row.at("exitStatus").get<int>()};
  for (const auto& step : row.at("steps")) {
    MessageStep made{{}, expanded(step.at("answers")).get<std::vector<json>>()};
    for (const auto& item : step.at("send"))
      made.bytes += bytesOf(item, origin);
    c.steps.push_back(std::move(made));
  }
  return c;
}

}  // namespace

std::vector<MessageCase> messageCases(const std::string& tableText) {
  std::vector<MessageCase> cases;
  const json table = json::parse(tableText);
  for (const auto& row : table.at("cases")) {
    const json argLists =
        row.contains("eachArgs") ? row["eachArgs"] : json::array({row.at("args")});
    const json origins = row.contains("eachOrigin") ? row["eachOrigin"] : json::array({""});
    for (const auto& args : argLists) {
      for (const auto& origin : origins)
        cases.push_back(caseOf(row, args, origin.get<std::string>()));
    }
  }
  return cases;
}

bool holds(const nlohmann::json& actual, const nlohmann::json& expected) {
  if (!expected.is_object())
    return actual == expected;
  if (!actual.is_object())
    return false;
  for (const auto& [key, value] : expected.items()) {
    if (!actual.contains(key) || !holds(actual[key], value))
      return false;
  }
  return true;
}

bool isInputEndError(const nlohmann::json& message) {
  return holds(message, {{"type", "error"}, {"id", nullptr}, {"number", 5}});
}

}  // namespace hv::testing
