#pragma once

#include <string>

#include "control/control_layout.h"

namespace hv {

// The layout's panel as an SVG picture at one pixel per 15 twips, its progress bar showing
// `barValue` (within the bar's stored range). Each visible child is a nested viewport with the
// child's name as its id, placed exactly where the layout puts it; children hidden at run time
// are left out. Throws std::invalid_argument for a value outside the range or a visible child
// of a kind the picture cannot draw.
std::string panelSvg(const UserControlLayout& layout, float barValue);

}  // namespace hv
