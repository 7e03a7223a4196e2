#include "control/panel_colors.h"

#include <cstdio>

namespace hv {

std::string cssColor(std::uint32_t color) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", color & 0xFF, color >> 8 & 0xFF,
                color >> 16 & 0xFF);
  return buffer;
}

}  // namespace hv
