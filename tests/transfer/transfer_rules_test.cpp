// The rules both transfers apply, curl's and WinINet's alike.
#include "transfer/transfer_rules.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(TransferRules, OnlyAFinal2xxOtherThanPartialContentIsAFile) {
  const std::pair<long, std::optional<std::string>> cases[] = {
      {200, std::nullopt},
      {204, std::nullopt},
      {299, std::nullopt},
      {206, "Why (only a part of the file)"},
      {302, "Why (redirect without a usable target)"},
      {304, "Why (no file: a status this download does not follow)"},
      {399, "Why (no file: a status this download does not follow)"},
      {99, "Why (no file: not a final status of a successful request)"},
      {150, "Why (no file: not a final status of a successful request)"},
      {600, "Why (no file: not a final status of a successful request)"},
      {404, "Why"},
      {599, "Why"},
  };
  for (const auto& [status, refusal] : cases)
    EXPECT_EQ(statusRefusal(status, "Why"), refusal) << status;
  EXPECT_EQ(statusRefusal(206, ""), "(only a part of the file)");
}

TEST(TransferRules, OnlyRedirectStatusesWithATargetAreFollowed) {
  ResponseHeaders located;
  located.addLine("Location: /b.cvx");
  for (const long status : {301, 302, 303, 307, 308})
    EXPECT_TRUE(isRedirect(status, located)) << status;
  for (const long status : {300, 304, 305, 200})
    EXPECT_FALSE(isRedirect(status, located)) << status;
  EXPECT_FALSE(isRedirect(302, ResponseHeaders()));
}

TEST(TransferRules, RedirectsStayOnTheSiteWithinFiveHopsAndNeverLeaveHttps) {
  struct Case {
    const char* from;
    const char* to;
    int hop;
    bool permitted;
    std::optional<std::string> refusal;
  };
  const Case cases[] = {
      {"http://a.example/x", "http://a.example/y", 5, true, std::nullopt},
      {"http://a.example/x", "https://a.example/y", 1, true, std::nullopt},
      {"HTTPS://a.example/x", "https://a.example/y", 1, true, std::nullopt},
      {"ftp://a.example/x", "http://a.example/y", 1, true, std::nullopt},
      {"https://a.example/x", "http://a.example/y", 1, true,
       "Redirect to http://a.example/y refused: it leaves https"},
      {"https://a.example/x", "ftp://a.example/y", 1, true,
       "Redirect to ftp://a.example/y refused: it leaves https"},
      {"http://a.example/x", "http://b.example/y", 1, false,
       "Redirect to http://b.example/y refused: outside the permitted site"},
      {"http://a.example/x", "file:///etc/passwd", 1, true,
       "Redirect to file:///etc/passwd refused: outside the permitted site"},
      {"http://a.example/x", "http://a.example/y", 6, true, "Too many redirects (more than 5)"},
      {"http://a.example/x", "http://b.example/\x1b]0;\x07", 1, false,
       "Redirect to http://b.example/\\x1b]0;\\x07 refused: outside the permitted site"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(redirectRefusal(c.from, c.to, c.hop, c.permitted), c.refusal) << c.to;
}

TEST(TransferRules, ServerTextIsEscapedAndCut) {
  EXPECT_EQ(serverText("Not Found"), "Not Found");
  EXPECT_EQ(serverText("\x1b[31mred\x07\xe2\x80\xae"), "\\x1b[31mred\\x07\\u202e");
  EXPECT_EQ(serverText(std::string(5000, 'x')), std::string(80, 'x') + "...");
}

}  // namespace
}  // namespace hv
