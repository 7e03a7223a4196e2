#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/installer_trust_port.h"
#include "runtime/script_error.h"

namespace hv::testing {

// Trusts every installer unless told to refuse; records what it was asked and how many holds
// are alive. Without a suffix it fetches no signature, as a system whose installers carry theirs.
class FakeInstallerTrust : public InstallerTrustPort {
 public:
  struct Check {
    Text path;
    std::string signature;
  };

  Text detachedSignatureSuffix() const override { return suffix; }

  std::unique_ptr<CheckedInstaller> checkAndHold(const Text& path,
                                                 std::string_view signature) override {
    checks.push_back({path, std::string(signature)});
    if (refusal)
      throw *refusal;
    return std::make_unique<Hold>(holdsAlive);
  }

  std::vector<Text> trustedSigners() const override { return {u"the test's key"}; }

  Text suffix;
  std::optional<ScriptError> refusal;
  std::vector<Check> checks;
  int holdsAlive = 0;

 private:
  class Hold : public CheckedInstaller {
   public:
    explicit Hold(int& alive) : alive_(alive) { ++alive_; }
    ~Hold() override { --alive_; }

   private:
    int& alive_;
  };
};

}  // namespace hv::testing
