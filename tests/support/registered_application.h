#pragma once

#include <string>

#include "fakes/fake_registry.h"

namespace hv::testing {

// The registry entries the vendor's installer leaves behind, as the launch road reads them.
inline void registerCvxType(FakeRegistry& registry) {
  registry.setString(kHkeyClassesRoot,
                     "MIME\\Database\\Content Type\\application/x-corvantis-x-file", "Extension",
                     ".cvx");
}

inline void registerCvtType(FakeRegistry& registry) {
  registry.setString(kHkeyClassesRoot, "MIME\\Database\\Content Type\\text/x-corvantis-x-file",
                     "Extension", ".cvt");
}

inline void registerOpenCommand(FakeRegistry& registry, const std::string& command) {
  registry.setString(kHkeyClassesRoot, "Corvantis Executable\\Shell\\Open\\Command", "", command);
}

}  // namespace hv::testing
