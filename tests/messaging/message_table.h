#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace hv::testing {

// The table of message_cases.json, as both the Linux host's test and the Windows host's driver
// under Wine run it: each step's bytes ready to send.
struct MessageStep {
  std::string bytes;
  std::vector<nlohmann::json> answers;
};

struct MessageCase {
  std::string name;
  std::vector<std::string> args;
  bool registered;  // whether the library is registered
  std::vector<MessageStep> steps;
  int exitStatus;  // once input is closed, or after a refusal
};

// Throws nlohmann::json::exception when the table does not read.
std::vector<MessageCase> messageCases(const std::string& tableText);

// Whether `actual` holds every field `expected` names, as deep as it names them.
bool holds(const nlohmann::json& actual, const nlohmann::json& expected);

// Whatever a host may say once its input is closed: an error about the input's end.
bool isInputEndError(const nlohmann::json& message);

}  // namespace hv::testing
