#include "messaging/page_ui_site.h"

#include <algorithm>
#include <cmath>

#include "control/panel_colors.h"
#include "runtime/base64.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The status label and the bar, whose state every panel event carries on its own.
constexpr std::string_view kStatusLabel = "lblDownload";

// Where `value` puts the bar, in whole percent of its range; the ends for values outside it.
int percentOf(float min, float max, float value) {
  if (!(max > min) || std::isnan(value))
    return 0;
  const double share = (static_cast<double>(value) - min) / (static_cast<double>(max) - min);
  return static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * 100));
}

}  // namespace

class PageUiSite::Label : public LabelPort {
 public:
  Label(PageUiSite& site, std::size_t index) : site_(site), index_(index) {}
  void setCaption(TextView caption) override { site_.changed(index_, "caption", toUtf8(caption)); }
  void setForeColor(RgbColor color) override { site_.changed(index_, "color", cssColor(color)); }
  void setBackColor(RgbColor color) override {
    site_.changed(index_, "backColor", cssColor(color));
  }
  void setFont(TextView name, double points, bool bold) override {
    site_.changed(index_, "font", {{"name", toUtf8(name)}, {"points", points}, {"bold", bold}});
  }

 private:
  PageUiSite& site_;
  std::size_t index_;
};

class PageUiSite::Bar : public ProgressBarPort {
 public:
  Bar(PageUiSite& site, std::size_t index) : site_(site), index_(index) {}
  void show(float min, float max, float value) override {
    site_.changed(index_, "value", percentOf(min, max, value));
  }

 private:
  PageUiSite& site_;
  std::size_t index_;
};

class PageUiSite::Image : public ImagePort {
 public:
  Image(PageUiSite& site, std::size_t index) : site_(site), index_(index) {}
  void setPicture(std::span<const std::uint8_t> imageFile) override {
    site_.pictureSent_ = false;
    site_.changed(index_, "picture", "data:image/gif;base64," + base64Encode(imageFile));
  }

 private:
  PageUiSite& site_;
  std::size_t index_;
};

class PageUiSite::Shape : public ShapePort {
 public:
  Shape(PageUiSite& site, std::size_t index) : site_(site), index_(index) {}
  void setStyle(std::uint8_t first, std::int16_t second) override {
    site_.changed(index_, "style", {first, second});
  }

 private:
  PageUiSite& site_;
  std::size_t index_;
};

PageUiSite::PageUiSite(std::int32_t width, std::int32_t height, Send send, Schedule schedule)
    : width_(width), height_(height), send_(std::move(send)), schedule_(std::move(schedule)) {}

PageUiSite::~PageUiSite() {
  *alive_ = false;
}

PageUiSite::Child& PageUiSite::add(const ChildPlacement& placement, std::string_view kind) {
  children_.push_back({{{"name", std::string(placement.name)},
                        {"kind", std::string(kind)},
                        {"left", placement.left},
                        {"top", placement.top},
                        {"width", placement.width},
                        {"height", placement.height},
                        {"visible", placement.visible}}});
  return children_.back();
}

std::unique_ptr<LabelPort> PageUiSite::addLabel(const ChildPlacement& placement) {
  add(placement, "label");
  return std::make_unique<Label>(*this, children_.size() - 1);
}

std::unique_ptr<ProgressBarPort> PageUiSite::addProgressBar(const ChildPlacement& placement) {
  auto& bar = add(placement, "progress").state;
  bar["value"] = 0;
  bar["fill"] = kBarFill;
  bar["trough"] = kBarTrough;
  bar["edge"] = kBarEdge;
  return std::make_unique<Bar>(*this, children_.size() - 1);
}

std::unique_ptr<ImagePort> PageUiSite::addImage(const ChildPlacement& placement) {
  add(placement, "image");
  return std::make_unique<Image>(*this, children_.size() - 1);
}

std::unique_ptr<ShapePort> PageUiSite::addShape(const ChildPlacement& placement) {
  add(placement, "shape").state["color"] = kFrameColor;
  return std::make_unique<Shape>(*this, children_.size() - 1);
}

void PageUiSite::changed(std::size_t index, const char* key, nlohmann::json value) {
  auto& state = children_[index].state;
  if (state.contains(key) && state[key] == value)
    return;
  state[key] = std::move(value);
  if (pending_)
    return;
  pending_ = true;
  schedule_([this, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.lock() && pending_)
      sendPanel();
  });
}

nlohmann::json PageUiSite::panel(bool withPicture) const {
  nlohmann::json detail = {{"caption", ""},    {"color", "#000000"}, {"value", 0},
                           {"visible", false}, {"width", width_},    {"height", height_}};
  auto children = nlohmann::json::array();
  for (const auto& child : children_) {
    const auto& state = child.state;
    if (state["name"] == kStatusLabel) {
      detail["caption"] = state.value("caption", "");
      detail["color"] = state.value("color", "#000000");
    } else if (state["kind"] == "progress") {
      detail["value"] = state["value"];
      detail["visible"] = state["visible"];
    }
    children.push_back(state);
    if (!withPicture)
      children.back().erase("picture");
  }
  detail["children"] = std::move(children);
  return detail;
}

void PageUiSite::sendPanel() {
  pending_ = false;
  const bool withPicture = !pictureSent_;
  pictureSent_ = true;
  send_({{"type", "event"}, {"name", "panel"}, {"detail", panel(withPicture)}});
}

void PageUiSite::showCritical(TextView text, std::optional<TextView> title) {
  // The page sees the panel as it stood when the box came up, as a window would show it.
  flush();
  send_({{"type", "event"},
         {"name", "box"},
         {"detail",
          {{"title", title ? nlohmann::json(toUtf8(*title)) : nlohmann::json(nullptr)},
           {"text", toUtf8(text)}}}});
}

}  // namespace hv
