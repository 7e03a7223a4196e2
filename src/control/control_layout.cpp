#include "control/control_layout.h"

#include <stdexcept>
#include <string>

#include "control/banner_picture.h"
#include "control/library_classes.h"

namespace hv {
namespace {

using S = SettingType;

// The transfer control both layouts carry; neither stores anything beyond its defaults.
LayoutChild transferControl(std::int32_t left, std::int32_t top) {
  return {.name = "Inet1",
          .kind = ChildKind::ExternalControl,
          .progId = "InetCtlsObjects.Inet",
          .rect = {left, top, 0, 0},
          .visibleAtRunTime = false};
}

}  // namespace

int settingWidthBits(SettingType type) {
  switch (type) {
    case S::Byte:
      return 8;
    case S::Integer:
    case S::Boolean:
      return 16;
    case S::Long:
    case S::Single:
      return 32;
  }
  return 0;
}

const LayoutChild* UserControlLayout::find(std::string_view name) const {
  for (const auto& c : children) {
    if (c.name == name)
      return &c;
  }
  return nullptr;
}

const LayoutChild& UserControlLayout::child(std::string_view name) const {
  if (const LayoutChild* found = find(name))
    return *found;
  throw std::out_of_range("no child " + std::string(name) + " in the layout of " +
                          std::string(className));
}

const UserControlLayout& baseLayout() {
  static const UserControlLayout layout{
      .className = "Base",
      .backColor = kWhite,
      .designWidth = 5415,
      .designHeight = 1800,
      .visibleAtRunTime = true,
      .settings = {{"", S::Integer, 1}, {"", S::Byte, 0}},
      .children =
          {
              {.name = "InetDownloader1",
               .kind = ChildKind::UserControl,
               .progId = inetDownloaderClass().progId,
               .clsid = inetDownloaderClass().clsid,
               .arrayIndex = 0,
               .rect = {4080, 720, 0, 0},
               .extent = HimetricSize{661, 450},
               .visibleAtRunTime = false},
              {.name = "prgDownload",
               .kind = ChildKind::ExternalControl,
               .progId = "MSComctlLib.ProgressBar",
               .rect = {120, 1200, 5055, 375},
               .rangeMin = 0.0f,
               .rangeMax = 100.0f,
               .visibleAtRunTime = true},
              transferControl(4440, 600),
              {.name = "lblMessage",
               .kind = ChildKind::Label,
               .rect = {570, 180, 4170, 240},
               .caption = u"Downloading Corvantis Halverine  ",
               .foreColor = kWhite,
               .backColor = kWhite,
               .font = FontInfo{"Verdana", 9.75, true},
               .settings = {{"", S::Byte, 0}, {"", S::Boolean, -1}},
               .visibleAtRunTime = true},
              {.name = "Image1",
               .kind = ChildKind::Image,
               .rect = {0, 60, 5310, 510},
               .picture = bannerPicture(),
               .visibleAtRunTime = true},
              {.name = "Shape1",
               .kind = ChildKind::Shape,
               .rect = {15, 255, 5295, 1440},
               .settings = {{"", S::Byte, 4}, {"", S::Integer, 2}},
               .visibleAtRunTime = true},
              {.name = "lblDownload",
               .kind = ChildKind::Label,
               .rect = {120, 840, 3735, 255},
               .caption = u"Download Progress",
               .backColor = kWhite,
               .font = FontInfo{"MS Sans Serif", 8.25, true},
               .visibleAtRunTime = true},
          },
  };
  return layout;
}

const UserControlLayout& inetDownloaderLayout() {
  static const UserControlLayout layout{
      .className = "InetDownloader",
      .backColor = kWhite,
      .designWidth = 600,
      .designHeight = 585,
      .visibleAtRunTime = false,
      .settings = {{"", S::Integer, 1},
                   {"", S::Byte, 0},
                   {"", S::Byte, 0},
                   {"", S::Byte, 0},
                   {"", S::Byte, 0},
                   {"", S::Byte, 0},
                   {"", S::Byte, 0}},
      .children = {transferControl(0, 0)},
  };
  return layout;
}

}  // namespace hv
