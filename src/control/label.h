#pragma once

#include <memory>

#include "platform/panel_ports.h"

namespace hv {

// A text child of a control's panel; what code sets on it shows at once.
class Label {
 public:
  explicit Label(std::unique_ptr<LabelPort> face) : face_(std::move(face)) {}

  const Text& Caption() const { return caption_; }
  void setCaption(TextView caption) {
    caption_ = Text(caption);
    face_->setCaption(caption);
  }
  void setForeColor(RgbColor color) { face_->setForeColor(color); }
  void setBackColor(RgbColor color) { face_->setBackColor(color); }
  void setFont(TextView name, double points, bool bold) { face_->setFont(name, points, bold); }

 private:
  std::unique_ptr<LabelPort> face_;
  Text caption_;
};

}  // namespace hv
