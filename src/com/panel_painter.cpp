#include "com/panel_painter.h"

#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "control/banner_picture.h"
#include "win32/win32_panel_children.h"

namespace hv {
namespace {

// Neither the frame nor the bar stores colours of its own; these go with the banner.
constexpr COLORREF kFrameColor = RGB(0x4A, 0x5A, 0x6A);
constexpr COLORREF kBarTrough = RGB(0xEC, 0xEF, 0xF1);
constexpr COLORREF kBarEdge = RGB(0x9A, 0xA5, 0xAE);
constexpr COLORREF kBarFill = RGB(0x0F, 0x7A, 0x84);
constexpr COLORREF kDefaultTextColor = RGB(0, 0, 0);

// What of the device can show at once: the clip box, else the device itself. Nothing drawn is
// worth making larger than that.
RECT drawableArea(HDC dc) {
  RECT clip{};
  if (GetClipBox(dc, &clip) != ERROR && !IsRectEmpty(&clip))
    return clip;
  return {0, 0, std::max(1, GetDeviceCaps(dc, HORZRES)), std::max(1, GetDeviceCaps(dc, VERTRES))};
}

// Design twips to the device units of `bounds`. Positions keep the true scale, however large,
// and the device clips them; sizes of what is made to draw with (fonts, pens, corners) stop at
// the drawable area, so that a huge scale never asks the system for a huge object.
struct Scale {
  const RECT& bounds;
  double x;
  double y;
  RECT drawable;
  int largest;

  Scale(HDC dc, const RECT& into, const UserControlLayout& layout)
      : bounds(into),
        x(static_cast<double>(into.right - into.left) / std::max(layout.designWidth, 1)),
        y(static_cast<double>(into.bottom - into.top) / std::max(layout.designHeight, 1)),
        drawable(drawableArea(dc)),
        largest(std::max<int>(drawable.right - drawable.left, drawable.bottom - drawable.top)) {}

  RECT of(const TwipsRect& r) const {
    return {bounds.left + static_cast<LONG>(std::lround(r.left * x)),
            bounds.top + static_cast<LONG>(std::lround(r.top * y)),
            bounds.left + static_cast<LONG>(std::lround(r.right() * x)),
            bounds.top + static_cast<LONG>(std::lround(r.bottom() * y))};
  }
  int pixelsOf(double designPixels) const {
    return static_cast<int>(
        std::min<double>(std::lround(designPixels * kTwipsPerPixel * y), largest));
  }
};

template <typename Handle>
class GdiObject {
 public:
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() {
    if (handle_ != nullptr)
      DeleteObject(handle_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle get() const { return handle_; }

 private:
  Handle handle_;
};

// Selects into a device context for the scope, and back out again.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, previous_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

HWND windowOf(HWND parent, std::string_view name) {
  if (parent == nullptr)
    return nullptr;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (childName(child) == name)
      return child;
  }
  return nullptr;
}

std::optional<COLORREF> colourProperty(HWND window, const wchar_t* property) {
  const auto value = reinterpret_cast<std::uintptr_t>(GetPropW(window, property));
  if ((value & kColorSetMark) == 0)
    return std::nullopt;
  return static_cast<COLORREF>(value & 0x00FFFFFF);
}

void fill(HDC dc, const RECT& area, COLORREF colour) {
  const GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(dc, &area, brush.get());
}

// A caption that lies on a picture shows the picture behind it.
bool liesOnPicture(const UserControlLayout& layout, const LayoutChild& label) {
  for (const auto& child : layout.children) {
    if (child.kind == ChildKind::Image && child.rect.contains(label.rect))
      return true;
  }
  return false;
}

void label(HDC dc, const Scale& scale, const UserControlLayout& layout, const LayoutChild& child,
           HWND window) {
  std::wstring caption(child.caption.begin(), child.caption.end());
  COLORREF colour = child.foreColor.value_or(kDefaultTextColor);
  if (window != nullptr) {
    caption.resize(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
    colour = colourProperty(window, kForeColorProperty).value_or(colour);
  }
  RECT area = scale.of(child.rect);
  if (child.backColor && !liesOnPicture(layout, child))
    fill(dc, area, *child.backColor);
  const FontInfo font = child.font.value_or(FontInfo{"MS Sans Serif", 8.25, false});
  const std::wstring face(font.name.begin(), font.name.end());
  const GdiObject<HFONT> made(CreateFontW(-scale.pixelsOf(font.points * 96 / 72), 0, 0, 0,
                                          font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          ANTIALIASED_QUALITY, DEFAULT_PITCH, face.c_str()));
  const Selected selected(dc, made.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
            DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
}

// Only the part of the picture `whole` that lies in `area` and on the device is rendered, from
// the matching part of the source (HIMETRIC, bottom up): a picture scaled far beyond the device
// costs no more than one that fits.
void renderVisiblePart(HDC dc, IPicture& picture, const RECT& whole, const RECT& area,
                       const RECT& drawable, SIZE himetric) {
  RECT shown;
  RECT visible;
  if (IsRectEmpty(&whole) || !IntersectRect(&shown, &whole, &area) ||
      !IntersectRect(&visible, &shown, &drawable))
    return;
  const double perX = static_cast<double>(himetric.cx) / (whole.right - whole.left);
  const double perY = static_cast<double>(himetric.cy) / (whole.bottom - whole.top);
  const auto fromX = [&](LONG x) {
    return static_cast<LONG>(std::lround((x - whole.left) * perX));
  };
  const auto fromY = [&](LONG y) { return static_cast<LONG>(std::lround((y - whole.top) * perY)); };
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  picture.Render(dc, visible.left, visible.top, visible.right - visible.left,
                 visible.bottom - visible.top, fromX(visible.left),
                 himetric.cy - fromY(visible.top), fromX(visible.right) - fromX(visible.left),
                 fromY(visible.top) - fromY(visible.bottom), nullptr);
  RestoreDC(dc, saved);
}

// The picture at its own size from the image's top left corner, its transparent colour left
// unpainted; an image whose picture the system cannot read shows nothing.
void image(HDC dc, const Scale& scale, const LayoutChild& child) {
  const auto gif = persistedPictureData(child.picture);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, gif.size());
  if (memory == nullptr)
    return;
  std::copy(gif.begin(), gif.end(), static_cast<std::uint8_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return;
  }
  IPicture* picture = nullptr;
  OleLoadPicture(stream, static_cast<LONG>(gif.size()), FALSE, IID_IPicture,
                 reinterpret_cast<void**>(&picture));
  stream->Release();
  if (picture == nullptr)
    return;
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  picture->get_Width(&width);
  picture->get_Height(&height);
  const int pixelWidth = gif.size() >= 10 ? gif[6] | gif[7] << 8 : 0;
  const int pixelHeight = gif.size() >= 10 ? gif[8] | gif[9] << 8 : 0;
  const RECT area = scale.of(child.rect);
  const RECT whole{area.left, area.top,
                   area.left + static_cast<LONG>(std::lround(pixelWidth * scale.x * 15)),
                   area.top + static_cast<LONG>(std::lround(pixelHeight * scale.y * 15))};
  renderVisiblePart(dc, *picture, whole, area, scale.drawable, {width, height});
  picture->Release();
}

// The two stored settings read as the outline (4: rounded rectangle) and the border width.
void shape(HDC dc, const Scale& scale, const LayoutChild& child) {
  const bool rounded = !child.settings.empty() && child.settings[0].value == 4;
  const int border =
      std::max(1, scale.pixelsOf(child.settings.size() > 1 ? child.settings[1].value : 1));
  RECT area = scale.of(child.rect);
  InflateRect(&area, -border / 2, -border / 2);
  const GdiObject<HPEN> pen(CreatePen(PS_INSIDEFRAME, border, kFrameColor));
  const Selected withPen(dc, pen.get());
  const Selected hollow(dc, GetStockObject(NULL_BRUSH));
  const int corner = scale.pixelsOf(12);
  if (rounded)
    RoundRect(dc, area.left, area.top, area.right, area.bottom, corner, corner);
  else
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
}

void progressBar(HDC dc, const Scale& scale, const LayoutChild& child, HWND window) {
  const int low = static_cast<int>(child.rangeMin.value_or(0));
  const int high = static_cast<int>(child.rangeMax.value_or(100));
  int position = low;
  if (window != nullptr)
    position = static_cast<int>(SendMessageW(window, PBM_GETPOS, 0, 0));
  const RECT area = scale.of(child.rect);
  fill(dc, area, kBarEdge);
  RECT trough = area;
  InflateRect(&trough, -1, -1);
  fill(dc, trough, kBarTrough);
  if (high > low && position > low) {
    RECT bar = trough;
    InflateRect(&bar, -1, -1);
    const double fraction = std::min(1.0, static_cast<double>(position - low) / (high - low));
    bar.right = bar.left + static_cast<LONG>(std::lround((bar.right - bar.left) * fraction));
    fill(dc, bar, kBarFill);
  }
}

}  // namespace

bool drawableBounds(const RECT& bounds) {
  const auto within = [](LONG value) {
    return value >= -kLargestExtent && value <= kLargestExtent;
  };
  return within(bounds.left) && within(bounds.top) && within(bounds.right) &&
         within(bounds.bottom) && bounds.right >= bounds.left && bounds.bottom >= bounds.top;
}

void paintPanel(HDC dc, const RECT& bounds, const PanelPaint& paint) {
  const Scale scale(dc, bounds, paint.layout);
  fill(dc, bounds, paint.layout.backColor);
  for (auto child = paint.layout.children.rbegin(); child != paint.layout.children.rend();
       ++child) {
    if (!child->visibleAtRunTime)
      continue;
    const HWND window = windowOf(paint.children, child->name);
    switch (child->kind) {
      case ChildKind::Label:
        label(dc, scale, paint.layout, *child, window);
        break;
      case ChildKind::Image:
        image(dc, scale, *child);
        break;
      case ChildKind::Shape:
        shape(dc, scale, *child);
        break;
      case ChildKind::ExternalControl:
        if (child->progId == kProgressBarProgId && !(paint.skipWindowedBar && window != nullptr))
          progressBar(dc, scale, *child, window);
        break;
      case ChildKind::UserControl:
        break;
    }
  }
}

}  // namespace hv
