#pragma once

#include <windows.h>

#include "control/control_layout.h"

namespace hv {

// What a control's surface shows, drawn from its layout: the background, then its visible
// children, the last stored first so that earlier ones lie on top. A child that has a window
// under `children` (the control's window, or its parking window) is drawn as that window shows
// it now, its caption, colour and bar position; one without is drawn as the layout stores it.
// `bounds` is the control's design size scaled to wherever it is drawn.
struct PanelPaint {
  const UserControlLayout& layout;
  HWND children = nullptr;
  // The children whose own windows draw them on top, left out here: none when printing or
  // drawing without a window.
  bool skipWindowedBar = false;
};

void paintPanel(HDC dc, const RECT& bounds, const PanelPaint& paint);

// The largest coordinate the system draws at. Bounds or extents beyond it are refused rather
// than drawn: no page shows a control that large, and the arithmetic of a larger one overflows.
inline constexpr LONG kLargestExtent = (1 << 27) - 1;

// Bounds with no size below zero and no corner beyond the largest coordinate.
bool drawableBounds(const RECT& bounds);

}  // namespace hv
