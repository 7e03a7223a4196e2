#include "download/site_domain.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "runtime/script_error.h"

namespace hv {
namespace {

const Text& D() {
  return SiteDomain();
}

Text upper(Text text) {
  for (char16_t& c : text)
    c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  return text;
}

int errorNumberOf(void (*call)(TextView), TextView url) {
  try {
    call(url);
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

void hostTest(TextView url) {
  passesHostTest(url);
}

// The build chooses the place (https://www. and the domain unless told otherwise) and refuses one
// off the domain; whatever it chose passes the library's own check.
TEST(SiteDomain, DefaultInstallerUrlPassesItsOwnCheck) {
  EXPECT_TRUE(passesHostTest(defaultInstallerUrl()));
  EXPECT_NO_THROW(requireSiteDomain(defaultInstallerUrl()));
}

struct HostCase {
  const char* what;
  Text url;
  bool passes;
  friend void PrintTo(const HostCase& c, std::ostream* os) { *os << c.what; }
};

class HostTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostTest, PassesOnlyHostsEndingInTheSuffix) {
  const HostCase& c = GetParam();
  EXPECT_EQ(passesHostTest(c.url), c.passes);
  EXPECT_EQ(errorNumberOf(requireSiteDomain, c.url), c.passes ? 0 : -200002);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, HostTest,
    ::testing::Values(
        HostCase{"www host, any path", u"http://www." + D() + u"/a/b/c.cvx?x=1", true},
        HostCase{"https", u"https://www." + D() + u"/doc.cvx", true},
        HostCase{"ftp", u"ftp://www." + D() + u"/doc.cvx", true},
        HostCase{"no path", u"http://www." + D(), true},
        HostCase{"host is exactly the suffix", u"http://." + D() + u"/x", true},
        HostCase{"user information before the host", u"http://user@www." + D() + u"/x", true},
        HostCase{"user and password", u"http://user:pw@www." + D() + u"/x", true},
        HostCase{"deeper label", u"http://a.b.c." + D() + u"/x", true},
        HostCase{"the domain itself, no leading dot", u"http://" + D() + u"/x", false},
        HostCase{"capitals", u"http://" + upper(u"www." + D()) + u"/x", false},
        HostCase{"a port", u"http://www." + D() + u":8080/x", false},
        HostCase{"domain only in the path", u"http://evil.test/www." + D(), false},
        HostCase{"host first, no scheme", u"www." + D() + u"/a/b", false},
        HostCase{"suffix not at the end", u"http://www." + D() + u".evil.test/x", false},
        HostCase{"vendor host as user information", u"http://www." + D() + u"@evil.test/x", false}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(SiteDomain, HostileUrlsWhoseRealHostIsElsewhereAllFail) {
  const Text s = u"." + D();
  const Text hostile[] = {
      // Characters that end the authority before the suffix for a URL parser.
      u"http://evil.test?" + s + u"/x",
      u"http://evil.test#" + s + u"/x",
      u"http://evil.test\\" + s + u"/x",
      u"http://evil.test:80" + s + u"/x",
      u"http://evil.test:" + s + u"/x",
      // Escapes, blanks and control characters that some parsers decode or drop.
      u"http://evil.test%2f" + s + u"/x",
      u"http://evil.test%23" + s + u"/x",
      u"http://evil.test%00" + s + u"/x",
      u"http://evil.test " + s + u"/x",
      u"http://evil.test\t" + s + u"/x",
      u"http://evil.test\n" + s + u"/x",
      u"http://evil.test\r" + s + u"/x",
      Text(u"http://evil.test\0", 17) + s + u"/x",
      u"http://evil.test\x7f" + s + u"/x",
      // Characters that host-name mapping turns into "/", "#", "?" or "a/c".
      u"http://evil.test\uff0f" + s + u"/x",
      u"http://evil.test\uff03" + s + u"/x",
      u"http://evil.test\uff1f" + s + u"/x",
      u"http://evil.test\u2100" + s + u"/x",
      // User information that parsers split at different "@".
      u"http://a@evil.test@www" + s + u"/x",
      // Authorities that are not after "scheme://": browsers and transfer libraries read the
      // host from elsewhere.
      u"http:/evil.test/www" + s + u"/x",
      u"http:/\\evil.test/www" + s + u"/x",
      u"http:\\/evil.test/www" + s + u"/x",
      u"evil.test//www" + s + u"/x",
      u"//www" + s + u"/x",
      u" http://www" + s + u"/x",
      u"1http://www" + s + u"/x",
  };
  for (const Text& url : hostile) {
    SCOPED_TRACE(std::string(url.begin(), url.end()));
    EXPECT_FALSE(passesHostTest(url));
    EXPECT_EQ(errorNumberOf(requireSiteDomain, url), -200002);
  }
}

TEST(SiteDomain, RefusalCarriesTheDownloaderSourceAndNamesTheDomain) {
  try {
    requireSiteDomain(u"http://evil.test/x");
    FAIL() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), -200002);
    EXPECT_EQ(e.source(), u"Corvantis Halverine Downloader");
    EXPECT_EQ(e.description(), u"Invalid domain must be a URL for " + D());
  }
}

TEST(SiteDomain, FewerThanTwoSlashesIsASubscriptErrorUnlessTooShortForTheSuffix) {
  struct Case {
    Text url;
    int hostTest;
    int raisingForm;
  };
  const Text longNoSlashes(D().size() + 5, u'a');
  const Case cases[] = {
      {u"", 9, -200002},     {u"abc", 9, -200002},        {u"a/b", 9, -200002},
      {longNoSlashes, 9, 9}, {u"http:/www." + D(), 9, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.url.begin(), c.url.end()));
    EXPECT_EQ(errorNumberOf(hostTest, c.url), c.hostTest);
    EXPECT_EQ(errorNumberOf(requireSiteDomain, c.url), c.raisingForm);
  }
}

TEST(SiteDomain, UrlsOfAnyLengthGetAnAnswer) {
  const Text longPath = u"http://www." + D() + u"/" + Text(40000, u'a');
  EXPECT_TRUE(passesHostTest(longPath));
  const Text longHost = u"http://" + Text(40000, u'a') + u"." + D() + u"/x";
  EXPECT_TRUE(passesHostTest(longHost));
  const Text longSlashes(40000, u'/');
  EXPECT_FALSE(passesHostTest(longSlashes));
  EXPECT_EQ(errorNumberOf(requireSiteDomain, longSlashes), -200002);
}

}  // namespace
}  // namespace hv
