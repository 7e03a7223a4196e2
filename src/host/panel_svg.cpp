#include "host/panel_svg.h"

#include <cstdio>
#include <stdexcept>

#include "control/banner_picture.h"
#include "control/panel_colors.h"
#include "runtime/base64.h"
#include "runtime/text_encoding.h"
#include "runtime/xml_text.h"

namespace hv {
namespace {

constexpr RgbColor kDefaultTextColor = 0x00000000;

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string text = buffer;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.')
    text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string px(std::int32_t twips) {
  return number(twipsToPixels(twips));
}

std::string viewportOpen(const LayoutChild& child) {
  return "  <svg id=\"" + xmlEscaped(child.name) + "\" x=\"" + px(child.rect.left) + "\" y=\"" +
         px(child.rect.top) + "\" width=\"" + px(child.rect.width) + "\" height=\"" +
         px(child.rect.height) + "\">\n";
}

std::string label(const LayoutChild& child) {
  const RgbColor textColor = child.foreColor.value_or(kDefaultTextColor);
  std::string svg = viewportOpen(child);
  // A label stored with its text in its own background colour is meant to be seen through:
  // painting that background would hide the caption.
  if (child.backColor && *child.backColor != textColor)
    svg += "    <rect width=\"" + px(child.rect.width) + "\" height=\"" + px(child.rect.height) +
           "\" fill=\"" + cssColor(*child.backColor) + "\"/>\n";
  const FontInfo font = child.font.value_or(FontInfo{"sans-serif", 8.25, false});
  const double fontPixels = font.points * 96 / 72;
  // Captions start at the label's top left; the baseline sits one em down.
  svg += "    <text x=\"0\" y=\"" + number(fontPixels) + "\" font-family=\"'" +
         xmlEscaped(font.name) + "', sans-serif\" font-size=\"" + number(fontPixels) + "\"" +
         (font.bold ? " font-weight=\"bold\"" : "") + " fill=\"" + cssColor(textColor) +
         "\" xml:space=\"preserve\">" + xmlEscaped(toUtf8(child.caption)) + "</text>\n";
  return svg + "  </svg>\n";
}

std::string image(const LayoutChild& child) {
  const auto gif = persistedPictureData(child.picture);
  if (gif.size() < 10 || gif[0] != 'G' || gif[1] != 'I' || gif[2] != 'F')
    throw std::invalid_argument(std::string(child.name) + " holds no GIF picture");
  // An image shows its picture at the picture's own size from its top left corner.
  const int width = gif[6] | gif[7] << 8;
  const int height = gif[8] | gif[9] << 8;
  return viewportOpen(child) + "    <image width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" xlink:href=\"data:image/gif;base64," + base64Encode(gif) +
         "\"/>\n  </svg>\n";
}

// The two stored settings of the shape read as its outline (4: rounded rectangle) and its
// border width in pixels; the border lies inside the shape's rectangle.
std::string shape(const LayoutChild& child) {
  const bool rounded = !child.settings.empty() && child.settings[0].value == 4;
  const double border = child.settings.size() > 1 ? child.settings[1].value : 1;
  const double w = twipsToPixels(child.rect.width), h = twipsToPixels(child.rect.height);
  return viewportOpen(child) + "    <rect x=\"" + number(border / 2) + "\" y=\"" +
         number(border / 2) + "\" width=\"" + number(w - border) + "\" height=\"" +
         number(h - border) + "\"" + (rounded ? " rx=\"6\"" : "") + " fill=\"none\" stroke=\"" +
         std::string(kFrameColor) + "\" stroke-width=\"" + number(border) + "\"/>\n  </svg>\n";
}

std::string progressBar(const LayoutChild& child, float value) {
  const float min = child.rangeMin.value_or(0), max = child.rangeMax.value_or(100);
  if (!(value >= min && value <= max)) {
    throw std::invalid_argument("the bar's value must lie within " + number(min) + " to " +
                                number(max));
  }
  const double fraction = max > min ? (value - min) / (max - min) : 0;
  const double w = twipsToPixels(child.rect.width), h = twipsToPixels(child.rect.height);
  return viewportOpen(child) + "    <rect x=\"0.5\" y=\"0.5\" width=\"" + number(w - 1) +
         "\" height=\"" + number(h - 1) + "\" fill=\"" + std::string(kBarTrough) + "\" stroke=\"" +
         std::string(kBarEdge) + "\"/>\n    <rect id=\"" + xmlEscaped(child.name) +
         "-value\" x=\"2\" y=\"2\" width=\"" + number((w - 4) * fraction) + "\" height=\"" +
         number(h - 4) + "\" fill=\"" + std::string(kBarFill) + "\"/>\n  </svg>\n";
}

std::string childPicture(const LayoutChild& child, float barValue) {
  switch (child.kind) {
    case ChildKind::Label:
      return label(child);
    case ChildKind::Image:
      return image(child);
    case ChildKind::Shape:
      return shape(child);
    case ChildKind::ExternalControl:
      if (child.progId == kProgressBarProgId)
        return progressBar(child, barValue);
      break;
    case ChildKind::UserControl:
      break;
  }
  throw std::invalid_argument("the panel picture cannot draw " + std::string(child.name));
}

}  // namespace

std::string panelSvg(const UserControlLayout& layout, float barValue) {
  const std::string width = px(layout.designWidth), height = px(layout.designHeight);
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
      "width=\"" +
      width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n" +
      "  <rect id=\"" + xmlEscaped(layout.className) + "\" width=\"" + width + "\" height=\"" +
      height + "\" fill=\"" + cssColor(layout.backColor) + "\"/>\n";
  // Earlier children lie above later ones, so the last is painted first.
  for (auto child = layout.children.rbegin(); child != layout.children.rend(); ++child) {
    if (child->visibleAtRunTime)
      svg += childPicture(*child, barValue);
  }
  return svg + "</svg>\n";
}

}  // namespace hv
