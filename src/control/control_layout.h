#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "control/guid.h"
#include "platform/panel_ports.h"

namespace hv {

// The stored layouts of the two control classes: the children the control runtime creates,
// in stored order, with their stored settings, every time an instance is made.
//
// Names kept from the stored form. Both controls and the routines they share keep the names the
// stored control gives them, in its own mixed casing: the classes' members, children, handlers
// and private state (`Inet1`, `lblDownload`, `UserControl_Initialize`,
// `objInetDownloader_Progress`, `downloadMode`, `fileNumber`) and the free routines
// (`RegReadString`, `RegValueExists`, `LogDebug`, `GetLogLevel`, `GetTempFolder`,
// `getFileNameFromURL`, `GetTimeStampMillis`, `getFileNameParts`, `shellAndWait`). The layouts,
// the type library and the event wiring name them so, and keeping them lets the code be read
// against the stored control line by line. What the library adds of its own (the ports, the
// helpers beside the routines such as `timeStampText`, members with a trailing underscore) is
// named as the rest of the project is. Headers holding such names point here.

// Colours as the stored form keeps them, 0x00BBGGRR.
inline constexpr RgbColor kWhite = 0x00FFFFFF;
// What the install flow turns its status label to on a failure, and the terminal shows as red.
inline constexpr RgbColor kRed = 0x000000FF;

// The external control a layout names for a progress bar.
inline constexpr std::string_view kProgressBarProgId = "MSComctlLib.ProgressBar";

enum class ChildKind {
  UserControl,      // a control of this library, created through the class catalog
  ExternalControl,  // a control from another module, named by its ProgID
  Label,
  Image,
  Shape,
};

// Position and size in twips (1/1440 inch).
struct TwipsRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t width;
  std::int32_t height;

  std::int32_t right() const { return left + width; }
  std::int32_t bottom() const { return top + height; }
  bool contains(const TwipsRect& inner) const {
    return inner.left >= left && inner.top >= top && inner.right() <= right() &&
           inner.bottom() <= bottom();
  }
};

// Size in HIMETRIC units (0.01 mm).
struct HimetricSize {
  std::int32_t x;
  std::int32_t y;
};

struct FontInfo {
  std::string_view name;
  double points;
  bool bold;
};

// The type of a stored setting; its width in bits is settingWidthBits.
enum class SettingType { Byte, Integer, Long, Single, Boolean };
int settingWidthBits(SettingType type);

// A stored setting. Several are kept only as their type and value because their names were
// never settled; they have no effect anything depends on, but they are part of what is stored.
struct StoredSetting {
  std::string_view name;  // empty: not named
  SettingType type;
  std::int32_t value;  // a Boolean true is -1
};

struct LayoutChild {
  std::string_view name;
  ChildKind kind;
  std::string_view progId = {};    // user and external controls only
  std::optional<Guid> clsid = {};  // when the layout names the class by its identifier as well
  std::optional<std::int16_t> arrayIndex = {};  // element of a control array
  // Left and top always; width and height are 0 for children stored without a size (the
  // invisible ones), whose size is their extent.
  TwipsRect rect;
  std::optional<HimetricSize> extent = {};  // stored as the settings "_extentx" and "_extenty"
  std::u16string_view caption = {};
  std::optional<RgbColor> foreColor = {};  // none: the host's default text colour
  std::optional<RgbColor> backColor = {};
  std::optional<FontInfo> font = {};
  std::optional<float> rangeMin = {};  // progress bars
  std::optional<float> rangeMax = {};
  std::span<const std::uint8_t> picture = {};  // images: the persisted picture form
  std::vector<StoredSetting> settings = {};    // beyond the fields above
  bool visibleAtRunTime = true;
};

struct UserControlLayout {
  std::string_view className;
  RgbColor backColor;
  std::int32_t designWidth;  // twips
  std::int32_t designHeight;
  bool visibleAtRunTime;
  std::vector<StoredSetting> settings;
  std::vector<LayoutChild> children;  // stored order

  // The child of that name; throws std::out_of_range when there is none.
  const LayoutChild& child(std::string_view name) const;
  // The child of that name, or null.
  const LayoutChild* find(std::string_view name) const;
};

const UserControlLayout& baseLayout();
const UserControlLayout& inetDownloaderLayout();

}  // namespace hv
