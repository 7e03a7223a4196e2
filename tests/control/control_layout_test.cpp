#include "control/control_layout.h"

#include <gtest/gtest.h>

#include "control/library_classes.h"

namespace hv {
namespace {

using K = ChildKind;
using S = SettingType;

struct ExpectedChild {
  std::string_view name;
  ChildKind kind;
  std::string_view progId;
  TwipsRect rect;
  bool visible;
};

void expectChildren(const UserControlLayout& layout, const std::vector<ExpectedChild>& expected) {
  ASSERT_EQ(layout.children.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& c = layout.children[i];
    const auto& e = expected[i];
    SCOPED_TRACE(std::string(e.name));
    EXPECT_EQ(c.name, e.name);
    EXPECT_EQ(c.kind, e.kind);
    EXPECT_EQ(c.progId, e.progId);
    EXPECT_EQ(c.rect.left, e.rect.left);
    EXPECT_EQ(c.rect.top, e.rect.top);
    EXPECT_EQ(c.rect.width, e.rect.width);
    EXPECT_EQ(c.rect.height, e.rect.height);
    EXPECT_EQ(c.visibleAtRunTime, e.visible);
    EXPECT_EQ(&layout.child(e.name), &c);
  }
}

void expectSettings(const std::vector<StoredSetting>& actual,
                    const std::vector<std::pair<SettingType, std::int32_t>>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].name, "") << i;
    EXPECT_EQ(actual[i].type, expected[i].first) << i;
    EXPECT_EQ(actual[i].value, expected[i].second) << i;
  }
}

// Every user control has a white surface.
void expectSurface(const UserControlLayout& layout, std::string_view className, std::int32_t width,
                   std::int32_t height, bool visible) {
  EXPECT_EQ(layout.className, className);
  EXPECT_EQ(layout.backColor, 0x00FFFFFFu);
  EXPECT_EQ(layout.designWidth, width);
  EXPECT_EQ(layout.designHeight, height);
  EXPECT_EQ(layout.visibleAtRunTime, visible);
}

TEST(BaseLayout, ChildrenInStoredOrderWithTheirClassesPlacesAndVisibility) {
  const auto& layout = baseLayout();
  expectSurface(layout, "Base", 5415, 1800, true);
  EXPECT_EQ(twipsToPixels(layout.designWidth), 361);
  EXPECT_EQ(twipsToPixels(layout.designHeight), 120);
  expectSettings(layout.settings, {{S::Integer, 1}, {S::Byte, 0}});
  expectChildren(
      layout, {
                  {"InetDownloader1",
                   K::UserControl,
                   "HVDetector.InetDownloader",
                   {4080, 720, 0, 0},
                   false},
                  {"prgDownload",
                   K::ExternalControl,
                   "MSComctlLib.ProgressBar",
                   {120, 1200, 5055, 375},
                   true},
                  {"Inet1", K::ExternalControl, "InetCtlsObjects.Inet", {4440, 600, 0, 0}, false},
                  {"lblMessage", K::Label, "", {570, 180, 4170, 240}, true},
                  {"Image1", K::Image, "", {0, 60, 5310, 510}, true},
                  {"Shape1", K::Shape, "", {15, 255, 5295, 1440}, true},
                  {"lblDownload", K::Label, "", {120, 840, 3735, 255}, true},
              });
  EXPECT_THROW(layout.child("Label1"), std::out_of_range);
}

TEST(BaseLayout, TheDownloaderArrayNamesItsClassByProgIdAndIdentifier) {
  const auto& element = baseLayout().child("InetDownloader1");
  ASSERT_TRUE(element.clsid.has_value());
  EXPECT_EQ(element.clsid->toString(), "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}");
  EXPECT_EQ(*element.clsid, inetDownloaderClass().clsid);
  EXPECT_EQ(element.arrayIndex, 0);
  ASSERT_TRUE(element.extent.has_value());
  EXPECT_EQ(element.extent->x, 661);
  EXPECT_EQ(element.extent->y, 450);
  EXPECT_TRUE(element.settings.empty());
  for (const auto& c : baseLayout().children) {
    if (c.name != "InetDownloader1") {
      EXPECT_FALSE(c.arrayIndex.has_value() || c.clsid.has_value()) << c.name;
    }
  }
}

TEST(BaseLayout, LabelsCarryTheirCaptionsColoursAndFonts) {
  const auto& message = baseLayout().child("lblMessage");
  EXPECT_EQ(message.caption, u"Downloading Corvantis Halverine  ");
  EXPECT_EQ(message.foreColor, 0x00FFFFFFu);
  EXPECT_EQ(message.backColor, 0x00FFFFFFu);
  ASSERT_TRUE(message.font.has_value());
  EXPECT_EQ(message.font->name, "Verdana");
  EXPECT_EQ(message.font->points, 9.75);
  EXPECT_TRUE(message.font->bold);
  expectSettings(message.settings, {{S::Byte, 0}, {S::Boolean, -1}});

  const auto& status = baseLayout().child("lblDownload");
  EXPECT_EQ(status.caption, u"Download Progress");
  EXPECT_FALSE(status.foreColor.has_value()) << "the default text colour";
  EXPECT_EQ(status.backColor, 0x00FFFFFFu);
  ASSERT_TRUE(status.font.has_value());
  EXPECT_EQ(status.font->name, "MS Sans Serif");
  EXPECT_EQ(status.font->points, 8.25);
  EXPECT_TRUE(status.font->bold);
  EXPECT_TRUE(status.settings.empty());
}

TEST(BaseLayout, BarShapeAndImageKeepTheirStoredSettings) {
  const auto& bar = baseLayout().child("prgDownload");
  EXPECT_EQ(bar.rangeMin, 0.0f);
  EXPECT_EQ(bar.rangeMax, 100.0f);
  EXPECT_TRUE(bar.settings.empty());
  expectSettings(baseLayout().child("Shape1").settings, {{S::Byte, 4}, {S::Integer, 2}});
  EXPECT_FALSE(baseLayout().child("Image1").picture.empty());
  for (const auto& c : baseLayout().children) {
    EXPECT_EQ(c.picture.empty(), c.name != "Image1") << c.name;
    EXPECT_EQ(c.rangeMin.has_value(), c.name == "prgDownload") << c.name;
    EXPECT_EQ(c.font.has_value(), c.kind == K::Label) << c.name;
  }
}

TEST(BaseLayout, TheCaptionLiesOnTheBannerAndTheStatusAndBarInTheFrame) {
  const auto& l = baseLayout();
  EXPECT_TRUE(l.child("Image1").rect.contains(l.child("lblMessage").rect));
  EXPECT_TRUE(l.child("Shape1").rect.contains(l.child("lblDownload").rect));
  EXPECT_TRUE(l.child("Shape1").rect.contains(l.child("prgDownload").rect));
  const TwipsRect surface{0, 0, l.designWidth, l.designHeight};
  for (const auto& c : l.children)
    EXPECT_TRUE(surface.contains(c.rect)) << c.name;
}

TEST(InetDownloaderLayout, AnInvisibleWhiteSurfaceHoldingOnlyItsTransferControl) {
  const auto& layout = inetDownloaderLayout();
  expectSurface(layout, "InetDownloader", 600, 585, false);
  expectSettings(layout.settings, {{S::Integer, 1},
                                   {S::Byte, 0},
                                   {S::Byte, 0},
                                   {S::Byte, 0},
                                   {S::Byte, 0},
                                   {S::Byte, 0},
                                   {S::Byte, 0}});
  expectChildren(layout,
                 {{"Inet1", K::ExternalControl, "InetCtlsObjects.Inet", {0, 0, 0, 0}, false}});
}

TEST(StoredSetting, WidthsFollowTheType) {
  EXPECT_EQ(settingWidthBits(S::Byte), 8);
  EXPECT_EQ(settingWidthBits(S::Integer), 16);
  EXPECT_EQ(settingWidthBits(S::Boolean), 16);
  EXPECT_EQ(settingWidthBits(S::Long), 32);
  EXPECT_EQ(settingWidthBits(S::Single), 32);
}

}  // namespace
}  // namespace hv
