#include "control/object_safety.h"

#include <algorithm>

#include "control/com_interfaces.h"
#include "control/control_object.h"
#include "control/module_state.h"

namespace hv {
namespace {

constexpr std::uint32_t kSupportedOptions = kSafeForUntrustedCaller | kSafeForUntrustedData;

// One interface the control declares itself safe through, compared as registry text.
struct SafetyRule {
  TextView iidText;
  ScriptBool ThreadModuleState::*flag;
  std::uint32_t option;
  bool settable;
};

// IDispatchEx is answered as a persistence interface by Get and refused by Set; browsers already
// rely on both answers.
constexpr SafetyRule kRules[] = {
    {u"{00020400-0000-0000-C000-000000000046}", &ThreadModuleState::safeForScripting,
     kSafeForUntrustedCaller, true},  // IDispatch
    {u"{0000010A-0000-0000-C000-000000000046}", &ThreadModuleState::safeForInitialization,
     kSafeForUntrustedData, true},  // IPersistStorage
    {u"{00000109-0000-0000-C000-000000000046}", &ThreadModuleState::safeForInitialization,
     kSafeForUntrustedData, true},  // IPersistStream
    {u"{37D84F60-42CB-11CE-8135-00AA004BB851}", &ThreadModuleState::safeForInitialization,
     kSafeForUntrustedData, true},  // IPersistPropertyBag
    {u"{A6EF9860-C720-11D0-9337-00A0C90DCAA9}", &ThreadModuleState::safeForInitialization,
     kSafeForUntrustedData, false},  // IDispatchEx
};

char16_t upperCase(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Identifiers are compared as upper-case registry text cut at the first NUL, so that the answer
// never depends on how a formatter spells the hexadecimal digits or pads its buffer.
Text identifierText(const Guid& riid) {
  Text text = riid.toText();
  text.resize(std::min(text.size(), text.find(u'\0')));
  std::transform(text.begin(), text.end(), text.begin(), upperCase);
  return text;
}

const SafetyRule* findRule(const Guid& riid) {
  const Text text = identifierText(riid);
  for (const auto& rule : kRules) {
    if (rule.iidText == text)
      return &rule;
  }
  return nullptr;
}

bool flagSet(const SafetyRule& rule) {
  return threadModuleState().*rule.flag != kScriptFalse;
}

}  // namespace

ObjectSafety* queryObjectSafety(ControlObject& control) {
  if (control.queryInterface(iid::kIObjectSafety) != InterfaceKind::ObjectSafety)
    return nullptr;
  return dynamic_cast<ObjectSafety*>(&control);
}

HResult getInterfaceSafetyOptions(const Guid* riid, std::uint32_t* pdwSupportedOptions,
                                  std::uint32_t* pdwEnabledOptions) {
  if (pdwSupportedOptions == nullptr || pdwEnabledOptions == nullptr)
    return kEPointer;
  *pdwSupportedOptions = kSupportedOptions;
  if (riid == nullptr)
    return kSOk;
  const SafetyRule* rule = findRule(*riid);
  if (rule == nullptr)
    return kENoInterface;
  *pdwEnabledOptions = flagSet(*rule) ? rule->option : 0;
  return kSOk;
}

HResult setInterfaceSafetyOptions(const Guid* riid, std::uint32_t dwOptionSetMask,
                                  std::uint32_t dwEnabledOptions) {
  if (riid == nullptr)
    return kSOk;
  const SafetyRule* rule = findRule(*riid);
  if (rule == nullptr || !rule->settable)
    return kENoInterface;
  if ((dwOptionSetMask & dwEnabledOptions) != rule->option)
    return kEFail;
  return flagSet(*rule) ? kSOk : kEFail;
}

}  // namespace hv
