#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace hv::testing {

// A minisign key pair without a password, made by the minisign tool: the build's demo pair, or a
// throwaway one in a folder of its own.
class MinisignSigner {
 public:
  // The build's demo key: the one a build without its own keys trusts.
  static MinisignSigner demo() { return MinisignSigner(HVDETECTOR_DEMO_SIGNING_KEY); }

  // A fresh key pair nobody trusts.
  MinisignSigner() : secretKey_((folder_.path() / "key").string()) {
    minisign({"-G", "-W", "-f", "-p", publicKey(), "-s", secretKey_});
  }

  std::string publicKey() const { return (folder_.path() / "key.pub").string(); }

  // The signature file of `file`: prehashed as minisign signs by default, or the legacy way.
  std::string sign(const std::filesystem::path& file, bool legacy = false) const {
    const std::string signature = (folder_.path() / "signature").string();
    std::vector<std::string> args{"-S",      "-s", secretKey_,           "-m", file.string(), "-x",
                                  signature, "-t", "trusted by the test"};
    if (legacy)
      args.push_back("-l");
    minisign(args);
    return readFile(signature);
  }

 private:
  explicit MinisignSigner(std::string secretKey) : secretKey_(std::move(secretKey)) {}

  void minisign(const std::vector<std::string>& args) const {
    const auto result = runChild(HVDETECTOR_MINISIGN, args, {}, ChildOutput::Closed,
                                 (folder_.path() / "minisign.err").string());
    if (result.exitStatus != 0)
      throw std::runtime_error("minisign failed: " + readFile(folder_.path() / "minisign.err"));
  }

  TempDir folder_;
  std::string secretKey_;
};

}  // namespace hv::testing
