#pragma once

#include <cstdint>
#include <span>

#include "runtime/text.h"

namespace hv {

// Colours as the layouts store them: 0x00BBGGRR.
using RgbColor = std::uint32_t;

// Layouts measure in twips: 15 to the pixel of a display at 96 dots an inch.
inline constexpr int kTwipsPerPixel = 15;
constexpr double twipsToPixels(std::int32_t twips) {
  return static_cast<double>(twips) / kTwipsPerPixel;
}

// Where a child sits on its control's surface, in twips, and whether it shows at run time.
struct ChildPlacement {
  std::string_view name;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool visible = true;
};

// A text on the panel.
class LabelPort {
 public:
  virtual ~LabelPort() = default;
  virtual void setCaption(TextView caption) = 0;
  virtual void setForeColor(RgbColor color) = 0;
  virtual void setBackColor(RgbColor color) = 0;
  virtual void setFont(TextView name, double points, bool bold) = 0;
};

// A bar filled from `min` to `value`; `value` always lies within min..max when it is drawn.
class ProgressBarPort {
 public:
  virtual ~ProgressBarPort() = default;
  virtual void show(float min, float max, float value) = 0;
};

// A picture, handed over as the bytes of its image file.
class ImagePort {
 public:
  virtual ~ImagePort() = default;
  virtual void setPicture(std::span<const std::uint8_t> imageFile) = 0;
};

// A frame drawn round part of the panel, with the two settings its layout stores for it.
class ShapePort {
 public:
  virtual ~ShapePort() = default;
  virtual void setStyle(std::uint8_t first, std::int16_t second) = 0;
};

}  // namespace hv
