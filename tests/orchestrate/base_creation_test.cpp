#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/dispatch.h"
#include "control/dispatch_error.h"
#include "download/site_domain.h"
#include "fakes/fake_platform.h"
#include "orchestrate/registered_control.h"
#include "orchestrate/base.h"
#include "support/base_under_test.h"
#include "support/errors.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeUiSite;

TEST(BaseCreation, ShowsItsStoredChildrenInStoredOrderBeforeAnyCodeRuns) {
  testing::BaseUnderTest t;
  FakeUiSite& ui = t.fake.ui;
  EXPECT_THAT(ui.added(),
              ElementsAre("prgDownload", "lblMessage", "Image1", "Shape1", "lblDownload"));
  const auto& banner = ui.labels["lblMessage"];
  EXPECT_EQ(banner.caption, u"Downloading Corvantis Halverine  ");
  EXPECT_EQ(banner.foreColor, 0x00FFFFFFu);
  EXPECT_EQ(banner.fontName, u"Verdana");
  EXPECT_EQ(banner.fontPoints, 9.75);
  EXPECT_TRUE(banner.fontBold);
  const auto& status = ui.labels["lblDownload"];
  EXPECT_EQ(status.caption, u"Download Progress");
  EXPECT_EQ(status.foreColor, std::nullopt) << "the default text colour";
  EXPECT_EQ(status.backColor, 0x00FFFFFFu);
  EXPECT_EQ(status.placement.left, 120);
  EXPECT_EQ(status.placement.top, 840);
  EXPECT_THAT(t.barValues(), ElementsAre(0.0f)) << "an empty bar";
  EXPECT_EQ(ui.bars["prgDownload"].max, 100.0f);
  const auto& picture = ui.pictures["Image1"];
  ASSERT_GE(picture.size(), 6u);
  EXPECT_EQ(std::string(picture.begin(), picture.begin() + 6), "GIF89a") << "the GIF itself";
  EXPECT_EQ(ui.shapeStyles["Shape1"], std::make_pair(std::uint8_t{4}, std::int16_t{2}));
  EXPECT_EQ(t.base->installerUrl(), defaultInstallerUrl());
}

TEST(BaseCreation, LoadsExactlyOneIdleDownloader) {
  testing::BaseUnderTest t;
  ASSERT_EQ(t.base->inetDownloaders().size(), 1u);
  EXPECT_EQ(t.base->boundDownloader(), nullptr);
  // Element 0's own Inet1, and Base's Inet1 that nothing uses.
  ASSERT_EQ(t.fake.transfers.created.size(), 2u);
  for (const auto* transfer : t.fake.transfers.created)
    EXPECT_TRUE(transfer->executed.empty());
}

// Only Base in the module's classes, or in the registry: the layout's downloader is missing.
TEST(BaseCreation, NeedsTheDownloaderClassItsLayoutNames) {
  testing::FakePlatform fake;
  ClassCatalog onlyBase;
  onlyBase.add(fake.classes.byClsid(baseClass().clsid));
  EXPECT_EQ(testing::dispatchErrorOf([&] {
              Base base(fake.platform, {onlyBase, fake.ui});
            }),
            kRegDbEClassNotReg);

  fake.registry.setString(kHkeyClassesRoot, "HVDetector.Base\\Clsid", "",
                          "{60246658-5626-449F-8701-66D278AD2EB2}");
  const RegisteredClasses registered(fake.platform, fake.classes);
  EXPECT_EQ(testing::dispatchErrorOf([&] {
              Base base(fake.platform, {registered, fake.ui});
            }),
            kRegDbEClassNotReg);
  fake.registry.setString(kHkeyClassesRoot, "HVDetector.InetDownloader\\Clsid", "",
                          "{60246658-5626-449F-8701-66D278AD2EB2}");
  EXPECT_EQ(testing::dispatchErrorOf([&] {
              Base base(fake.platform, {registered, fake.ui});
            }),
            kRegDbEClassNotReg)
      << "registered under another class";
  fake.registry.setString(kHkeyClassesRoot, "HVDetector.InetDownloader\\Clsid", "",
                          "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}");
  Base base(fake.platform, {registered, fake.ui});
  EXPECT_EQ(base.inetDownloaders().size(), 1u);
}

struct BarPut {
  const char* name;
  std::vector<std::pair<DispId, Variant>> puts;
  float low, high, drawn;
};

void PrintTo(const BarPut& c, std::ostream* os) {
  *os << c.name;
}

class ProgressBarPuts : public ::testing::TestWithParam<BarPut> {};

TEST_P(ProgressBarPuts, DrawWithinTheRangeAndNeverRaise) {
  testing::FakeUiSite ui;
  ProgressBar bar(ui.addProgressBar({"bar"}), 0, 100);
  for (auto [id, value] : GetParam().puts) {
    std::array<Variant, 1> args{value};
    invoke(bar, id, MemberKind::PropertyPut, args);
  }
  const auto& drawn = ui.bars["bar"];
  EXPECT_EQ(drawn.min, GetParam().low);
  EXPECT_EQ(drawn.max, GetParam().high);
  EXPECT_EQ(drawn.shown.back(), GetParam().drawn);
}

namespace bar = progress_bar_dispid;
INSTANTIATE_TEST_SUITE_P(
    Panel, ProgressBarPuts,
    ::testing::Values(BarPut{"InRange", {{bar::kValue, Variant(41.0f)}}, 0, 100, 41},
                      BarPut{"AboveMax", {{bar::kValue, Variant(150.0f)}}, 0, 100, 100},
                      BarPut{"BelowMin", {{bar::kValue, Variant(-5.0f)}}, 0, 100, 0},
                      BarPut{
                          "TextCoercedToSingle", {{bar::kValue, Variant(u"12.5")}}, 0, 100, 12.5},
                      BarPut{"InvertedRange",
                             {{bar::kMin, Variant(10.0f)},
                              {bar::kMax, Variant(0.0f)},
                              {bar::kValue, Variant(20.0f)}},
                             0,
                             10,
                             10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressBar, OnlyItsThreePropertiesCanBeWritten) {
  testing::FakeUiSite ui;
  ProgressBar bar(ui.addProgressBar({"bar"}), 0, 100);
  EXPECT_TRUE(testing::dispatchErrorOf(
      [&] { invoke(bar, progress_bar_dispid::kValue, MemberKind::PropertyGet, {}); }));
  std::array<Variant, 1> text{Variant(u"full")};
  EXPECT_TRUE(testing::dispatchErrorOf(
      [&] { invoke(bar, progress_bar_dispid::kValue, MemberKind::PropertyPut, text); }));
}

}  // namespace
}  // namespace hv
