#include "orchestrate/safety_negotiation.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "control/com_interfaces.h"
#include "control/object_safety.h"

namespace hv {
namespace {

struct AskedInterface {
  std::string_view name;
  const Guid& iid;
};

const AskedInterface kAskedInterfaces[] = {
    {"IDispatch", iid::kIDispatch},           {"IPersistStorage", iid::kIPersistStorage},
    {"IPersistStream", iid::kIPersistStream}, {"IPersistPropertyBag", iid::kIPersistPropertyBag},
    {"IDispatchEx", iid::kIDispatchEx},
};

std::string resultName(HResult result) {
  switch (result) {
    case kSOk:
      return "S_OK";
    case kENoInterface:
      return "E_NOINTERFACE";
    case kEPointer:
      return "E_POINTER";
    case kEFail:
      return "E_FAIL";
    default: {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(result));
      return buffer;
    }
  }
}

void requireOption(const ControlObject& control, ObjectSafety& safety, const AskedInterface& asked,
                   SafetyOption option, std::string_view use) {
  const HResult result = safety.IObjectSafety_SetInterfaceSafetyOptions(&asked.iid, option, option);
  if (result != kSOk) {
    throw UnsafeControl(std::string(control.classInfo().progId) + " is not safe for " +
                        std::string(use) + " (IObjectSafety on " + std::string(asked.name) +
                        " answered " + resultName(result) + "); refusing to script it");
  }
}

}  // namespace

void negotiateSafety(ControlObject& control) {
  ObjectSafety* safety = queryObjectSafety(control);
  if (safety == nullptr) {
    throw UnsafeControl(std::string(control.classInfo().progId) +
                        " does not implement IObjectSafety; refusing to script it");
  }
  requireOption(control, *safety, {"IDispatch", iid::kIDispatch}, kSafeForUntrustedCaller,
                "untrusted callers");
  requireOption(control, *safety, {"IPersistPropertyBag", iid::kIPersistPropertyBag},
                kSafeForUntrustedData, "untrusted data");
}

std::vector<SafetyAnswer> safetyAnswers(ControlObject& control) {
  std::vector<SafetyAnswer> answers;
  ObjectSafety* safety = queryObjectSafety(control);
  if (safety == nullptr)
    return answers;
  for (const auto& asked : kAskedInterfaces) {
    SafetyAnswer answer{asked.name, asked.iid, kSOk, 0, 0};
    answer.result = safety->IObjectSafety_GetInterfaceSafetyOptions(&asked.iid, &answer.supported,
                                                                    &answer.enabled);
    answers.push_back(answer);
  }
  return answers;
}

void printSafetyAnswers(std::ostream& out, ControlObject& control) {
  const auto answers = safetyAnswers(control);
  if (answers.empty()) {
    out << "  object safety: no IObjectSafety, so a browser will not script it\n";
    return;
  }
  out << "  object safety (GetInterfaceSafetyOptions):\n";
  for (const auto& a : answers) {
    std::string name(a.interfaceName);
    name.resize(20, ' ');
    out << "    " << name << " " << a.iid.toString() << "  " << resultName(a.result)
        << ", supported " << a.supported;
    if (a.result == kSOk)
      out << ", enabled " << a.enabled;
    out << "\n";
  }
}

}  // namespace hv
