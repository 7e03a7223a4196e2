#pragma once

#include <vector>

#include "platform/registry_port.h"
#include "runtime/text.h"

namespace hv {

// A key that registering writes, with the string values it sets there; the writers of each
// system's registry take these and nothing else.
struct RegistrationValue {
  Text name;  // empty: the key's default value
  Text data;  // every registration value is a string
};

struct RegistrationKey {
  RegistryRoot root;
  Text path;
  std::vector<RegistrationValue> values;
};

}  // namespace hv
