#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/panel_ports.h"

namespace hv {

// Window properties through which the colours a label was given can be read back. Each holds
// the colour (0x00BBGGRR) with kColorSetMark added, so that black still reads as set.
inline constexpr const wchar_t* kForeColorProperty = L"HVDetector.ForeColor";
inline constexpr const wchar_t* kBackColorProperty = L"HVDetector.BackColor";
// The child's name in the layout, as a local atom.
inline constexpr const wchar_t* kChildNameProperty = L"HVDetector.Name";
inline constexpr std::uintptr_t kColorSetMark = 0x01000000;

// The layout name a child window carries; empty for a window that is none of ours.
std::string childName(HWND window);

// A child window of a control's parking window, placed as its layout says. Without a parent
// (no window could be made) there is no window, and whoever owns it keeps only its state.
class ChildWindow {
 public:
  ChildWindow(HWND parent, const wchar_t* windowClass, DWORD style,
              const ChildPlacement& placement);
  ~ChildWindow();
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

  HWND handle() const { return window_; }
  LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) const;
  // Has the window the child lies in draw it again: a child the panel draws from its state
  // changes nothing on screen by itself.
  void repaintParent() const;
  void setProperty(const wchar_t* name, std::uintptr_t value);

 private:
  HWND window_ = nullptr;
  ATOM name_ = 0;
  std::vector<const wchar_t*> properties_;
};

// Each child keeps what it was given, window or not, for whoever draws it; the window mirrors it.

// A label as a STATIC window: its caption is the window text, its font a real font, its colours
// window properties.
class Win32Label : public LabelPort {
 public:
  Win32Label(HWND parent, const ChildPlacement& placement);

  void setCaption(TextView caption) override;
  void setForeColor(RgbColor color) override;
  void setBackColor(RgbColor color) override;
  void setFont(TextView name, double points, bool bold) override;

  HWND window() const { return window_.handle(); }
  std::optional<RgbColor> foreColor() const { return foreColor_; }
  std::optional<RgbColor> backColor() const { return backColor_; }

 private:
  // A font the label made; declared before the window, so that it outlives it.
  struct OwnedFont {
    HFONT handle = nullptr;
    OwnedFont() = default;
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;
    ~OwnedFont();
  };

  OwnedFont font_;
  ChildWindow window_;
  std::optional<RgbColor> foreColor_;
  std::optional<RgbColor> backColor_;
};

// The common controls' progress bar. It takes whole numbers: the range and position are
// rounded, and the position is kept within the range.
class Win32ProgressBar : public ProgressBarPort {
 public:
  Win32ProgressBar(HWND parent, const ChildPlacement& placement);
  void show(float min, float max, float value) override;

  HWND window() const { return window_.handle(); }
  int position() const { return position_; }

 private:
  ChildWindow window_;
  int position_ = 0;
};

// The banner picture: a STATIC window, and the image file.
class Win32Image : public ImagePort {
 public:
  Win32Image(HWND parent, const ChildPlacement& placement);
  void setPicture(std::span<const std::uint8_t> imageFile) override;

  const std::vector<std::uint8_t>& picture() const { return picture_; }

 private:
  ChildWindow window_;
  std::vector<std::uint8_t> picture_;
};

// The frame round the download area: a framed STATIC window, and its two stored settings.
class Win32Shape : public ShapePort {
 public:
  Win32Shape(HWND parent, const ChildPlacement& placement);
  void setStyle(std::uint8_t first, std::int16_t second) override;

  std::optional<std::pair<std::uint8_t, std::int16_t>> style() const { return style_; }

 private:
  ChildWindow window_;
  std::optional<std::pair<std::uint8_t, std::int16_t>> style_;
};

}  // namespace hv
