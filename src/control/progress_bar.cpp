#include "control/progress_bar.h"

#include <algorithm>
#include <cmath>

namespace hv {

const ClassInfo& progressBarClass() {
  using namespace progress_bar_dispid;
  using K = MemberKind;
  using T = VarType;
  static const ClassInfo info{
      .name = "ProgressBar",
      .clsid = {},
      .progId = "MSComctlLib.ProgressBar",
      .versionMajor = 1,
      .versionMinor = 0,
      .defaultInterface = {},
      .eventInterface = {},
      .members = {{kMax, "Max", K::PropertyPut, {{"value", T::Single, false}}, T::Empty},
                  {kMin, "Min", K::PropertyPut, {{"value", T::Single, false}}, T::Empty},
                  {kValue, "Value", K::PropertyPut, {{"value", T::Single, false}}, T::Empty}},
      .functionTableOrder = {"Max", "Min", "Value"},
      .events = {},
      .miscStatus = 0,
      .toolboxBitmap = 0,
      .visibleAtRunTime = true,
      .uiActivation = false,
      .objectSafety = false,
  };
  return info;
}

ProgressBar::ProgressBar(std::unique_ptr<ProgressBarPort> face, float min, float max)
    : ControlObject(progressBarClass()), face_(std::move(face)), min_(min), max_(max), value_(min) {
  redraw();
}

Variant ProgressBar::invokeMember(const MemberInfo& member, std::span<Variant> args) {
  using namespace progress_bar_dispid;
  const float value = args[0].toSingle();
  switch (member.id) {
    case kMax:
      max_ = value;
      break;
    case kMin:
      min_ = value;
      break;
    case kValue:
      value_ = value;
      break;
    default:
      throwNotImplemented(classInfo(), member);
  }
  redraw();
  return {};
}

// Drawn within the range whatever was set: an inverted range shows as the range it spans, and a
// value that is not a number shows as empty.
void ProgressBar::redraw() {
  const float low = std::min(min_, max_);
  const float high = std::max(min_, max_);
  const float shown = std::isnan(value_) ? low : std::clamp(value_, low, high);
  face_->show(low, high, shown);
}

}  // namespace hv
