#pragma once

#include <memory>

#include "control/control_object.h"
#include "platform/panel_ports.h"

namespace hv {

namespace progress_bar_dispid {
inline constexpr DispId kMax = 1;
inline constexpr DispId kMin = 2;
inline constexpr DispId kValue = 3;
}  // namespace progress_bar_dispid

// The members of the panel's progress bar that code sets by late binding.
const ClassInfo& progressBarClass();

// The progress bar child: a scriptable control of its own, set through the dispatch layer. A
// value outside Min..Max is drawn at the nearer end and never refused, so a body longer than
// announced still ends in its completion, and a range set in either order never fails.
class ProgressBar : public ControlObject {
 public:
  // `min` and `max`: the range the layout stores for it.
  ProgressBar(std::unique_ptr<ProgressBarPort> face, float min, float max);

  Variant invokeMember(const MemberInfo& member, std::span<Variant> args) override;

  float Min() const { return min_; }
  float Max() const { return max_; }
  float Value() const { return value_; }

 private:
  void redraw();

  std::unique_ptr<ProgressBarPort> face_;
  float min_;
  float max_;
  float value_;
};

}  // namespace hv
