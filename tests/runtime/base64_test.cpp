#include "runtime/base64.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(Base64, EncodesEveryPaddingCase) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"\xFF\xFE\xFD", "//79"},
  };
  for (const auto& [plain, encoded] : cases) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(plain.data());
    EXPECT_EQ(base64Encode({bytes, plain.size()}), encoded) << plain;
  }
}

}  // namespace
}  // namespace hv
