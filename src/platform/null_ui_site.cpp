#include "platform/ui_site.h"

namespace hv {
namespace {

class NullLabel : public LabelPort {
 public:
  void setCaption(TextView) override {}
  void setForeColor(RgbColor) override {}
  void setBackColor(RgbColor) override {}
  void setFont(TextView, double, bool) override {}
};

class NullProgressBar : public ProgressBarPort {
 public:
  void show(float, float, float) override {}
};

class NullImage : public ImagePort {
 public:
  void setPicture(std::span<const std::uint8_t>) override {}
};

class NullShape : public ShapePort {
 public:
  void setStyle(std::uint8_t, std::int16_t) override {}
};

class NullMessageBox : public MessageBoxPort {
 public:
  void showCritical(TextView, std::optional<TextView>) override {}
};

class NullUiSite : public UiSite {
 public:
  std::unique_ptr<LabelPort> addLabel(const ChildPlacement&) override {
    return std::make_unique<NullLabel>();
  }
  std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement&) override {
    return std::make_unique<NullProgressBar>();
  }
  std::unique_ptr<ImagePort> addImage(const ChildPlacement&) override {
    return std::make_unique<NullImage>();
  }
  std::unique_ptr<ShapePort> addShape(const ChildPlacement&) override {
    return std::make_unique<NullShape>();
  }
  MessageBoxPort& messageBox() override { return box_; }

 private:
  NullMessageBox box_;
};

}  // namespace

UiSite& nullUiSite() {
  static NullUiSite site;
  return site;
}

}  // namespace hv
