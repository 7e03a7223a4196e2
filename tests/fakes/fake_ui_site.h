#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_site.h"
#include "runtime/text_encoding.h"

namespace hv::testing {

// Records what a control shows, child by child, and every call in order in `journal`
// ("prgDownload show 0 100 41", "box Error: ..."). `onBox` runs while a box is open, as whatever
// the user does before closing it would.
class FakeUiSite : public UiSite {
 public:
  struct Label {
    ChildPlacement placement;
    Text caption;
    std::optional<RgbColor> foreColor;
    std::optional<RgbColor> backColor;
    Text fontName;
    double fontPoints = 0;
    bool fontBold = false;
  };
  struct Bar {
    ChildPlacement placement;
    std::vector<float> shown;  // every value drawn, in order
    float min = 0;
    float max = 0;
  };
  struct Box {
    Text text;
    std::optional<Text> title;
  };

  std::unique_ptr<LabelPort> addLabel(const ChildPlacement& placement) override {
    record("add label " + std::string(placement.name));
    labels[std::string(placement.name)].placement = placement;
    return std::make_unique<LabelFace>(*this, std::string(placement.name));
  }
  std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement& placement) override {
    record("add progress bar " + std::string(placement.name));
    bars[std::string(placement.name)].placement = placement;
    return std::make_unique<BarFace>(*this, std::string(placement.name));
  }
  std::unique_ptr<ImagePort> addImage(const ChildPlacement& placement) override {
    record("add image " + std::string(placement.name));
    return std::make_unique<ImageFace>(*this, std::string(placement.name));
  }
  std::unique_ptr<ShapePort> addShape(const ChildPlacement& placement) override {
    record("add shape " + std::string(placement.name));
    return std::make_unique<ShapeFace>(*this, std::string(placement.name));
  }
  MessageBoxPort& messageBox() override { return box_; }

  // The children in the order they were added.
  std::vector<std::string> added() const {
    std::vector<std::string> names;
    for (const auto& line : journal) {
      if (line.starts_with("add "))
        names.push_back(line.substr(line.rfind(' ') + 1));
    }
    return names;
  }

  std::map<std::string, Label> labels;
  std::map<std::string, Bar> bars;
  std::map<std::string, std::vector<std::uint8_t>> pictures;
  std::map<std::string, std::pair<std::uint8_t, std::int16_t>> shapeStyles;
  std::vector<Box> boxes;
  std::vector<std::string> journal;
  std::function<void()> onBox;

 private:
  void record(std::string line) { journal.push_back(std::move(line)); }

  class LabelFace : public LabelPort {
   public:
    LabelFace(FakeUiSite& site, std::string name) : site_(site), name_(std::move(name)) {}
    void setCaption(TextView caption) override {
      site_.record(name_ + " caption " + toUtf8(caption));
      site_.labels[name_].caption = Text(caption);
    }
    void setForeColor(RgbColor color) override {
      site_.record(name_ + " forecolor " + std::to_string(color));
      site_.labels[name_].foreColor = color;
    }
    void setBackColor(RgbColor color) override {
      site_.record(name_ + " backcolor " + std::to_string(color));
      site_.labels[name_].backColor = color;
    }
    void setFont(TextView name, double points, bool bold) override {
      site_.record(name_ + " font " + toUtf8(name));
      auto& label = site_.labels[name_];
      label.fontName = Text(name);
      label.fontPoints = points;
      label.fontBold = bold;
    }

   private:
    FakeUiSite& site_;
    std::string name_;
  };

  class BarFace : public ProgressBarPort {
   public:
    BarFace(FakeUiSite& site, std::string name) : site_(site), name_(std::move(name)) {}
    void show(float min, float max, float value) override {
      site_.record(name_ + " show " + std::to_string(static_cast<int>(min)) + " " +
                   std::to_string(static_cast<int>(max)) + " " +
                   std::to_string(static_cast<int>(value)));
      auto& bar = site_.bars[name_];
      bar.min = min;
      bar.max = max;
      bar.shown.push_back(value);
    }

   private:
    FakeUiSite& site_;
    std::string name_;
  };

  class ImageFace : public ImagePort {
   public:
    ImageFace(FakeUiSite& site, std::string name) : site_(site), name_(std::move(name)) {}
    void setPicture(std::span<const std::uint8_t> file) override {
      site_.record(name_ + " picture " + std::to_string(file.size()));
      site_.pictures[name_].assign(file.begin(), file.end());
    }

   private:
    FakeUiSite& site_;
    std::string name_;
  };

  class ShapeFace : public ShapePort {
   public:
    ShapeFace(FakeUiSite& site, std::string name) : site_(site), name_(std::move(name)) {}
    void setStyle(std::uint8_t first, std::int16_t second) override {
      site_.record(name_ + " style");
      site_.shapeStyles[name_] = {first, second};
    }

   private:
    FakeUiSite& site_;
    std::string name_;
  };

  class BoxFace : public MessageBoxPort {
   public:
    explicit BoxFace(FakeUiSite& site) : site_(site) {}
    void showCritical(TextView text, std::optional<TextView> title) override {
      site_.record("box " + toUtf8(text));
      site_.boxes.push_back({Text(text), title ? std::optional<Text>(Text(*title)) : std::nullopt});
      if (site_.onBox)
        site_.onBox();
    }

   private:
    FakeUiSite& site_;
  };

  BoxFace box_{*this};
};

}  // namespace hv::testing
