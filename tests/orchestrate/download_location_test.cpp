#include <gtest/gtest.h>

#include <vector>

#include "control/dispatch.h"
#include "download/site_domain.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

class DownloadLocation : public ::testing::Test {
 protected:
  void write(const Text& url) {
    std::vector<Variant> args{Variant(url)};
    invokeByName(base, u"DownloadLocation", MemberKind::PropertyPut, args);
  }

  testing::FakePlatform fake;
  Base base{fake.platform, fake.context};
};

TEST_F(DownloadLocation, StartsAtTheDefaultInstallerUrl) {
  EXPECT_EQ(base.installerUrl(), defaultInstallerUrl());
}

TEST_F(DownloadLocation, KeepsOnlyUrlsInTheVendorsDomain) {
  const Text mirror = u"https://mirror." + SiteDomain() + u"/setup.exe";
  write(mirror);
  EXPECT_EQ(base.installerUrl(), mirror);

  for (const Text& refused :
       {Text(u"http://evil.test/setup.exe"), u"http://evil.test?." + SiteDomain() + u"/setup.exe",
        u"http://evil.test\\." + SiteDomain() + u"/setup.exe"}) {
    write(refused);
    EXPECT_EQ(base.installerUrl(), mirror);
  }
}

TEST_F(DownloadLocation, UrlWithoutTwoSlashesIsASubscriptErrorAndChangesNothing) {
  for (const Text& url : {Text(u"abc"), Text()}) {
    try {
      write(url);
      FAIL() << "no error";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), 9);
    }
    EXPECT_EQ(base.installerUrl(), defaultInstallerUrl());
  }
}

TEST(InetDownloaderFileNameParts, AnswersThroughTheDispatchLayer) {
  testing::FakePlatform fake;
  InetDownloader downloader(fake.platform);
  std::vector<Variant> args{Variant(u"archive.tar.cvt")};
  const Variant parts = invokeByName(downloader, u"getFileNameParts", MemberKind::Method, args);
  EXPECT_EQ(parts.array(), (Variant::Array{Variant(u"archive.tar"), Variant(u"cvt")}));
  EXPECT_EQ(args[0], Variant(u"archive.tar.cvt"));

  args[0] = Variant(u"no-dot");
  try {
    invokeByName(downloader, u"getFileNameParts", MemberKind::Method, args);
    FAIL() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), 5);
  }
}

}  // namespace
}  // namespace hv
