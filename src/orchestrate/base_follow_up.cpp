// What a completed download leads to: the launch step or the install step. Each traps its own
// failures; the steps themselves are still to come and fail plainly until then.
#include "control/library_classes.h"
#include "orchestrate/base.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr char16_t kTitle[] = u"Corvantis Halverine Detector";
// Failures of the library and of the components it uses have numbers at or below this.
constexpr std::int32_t kComponentErrorLimit = -200000;
constexpr RgbColor kRed = 0x000000FF;

}  // namespace

Variant Base::LaunchInternal(Text&) {
  try {
    throwNotImplemented(classInfo(), *classInfo().findMember(base_dispid::kLaunchInternal));
  } catch (const ScriptError& failure) {
    if (failure.number() < kComponentErrorLimit)
      messageBox().showCritical(failure.description(), kTitle);
  }
  return {};
}

Variant Base::InstallInternal(Text&) {
  try {
    throwNotImplemented(classInfo(), "InstallInternal");
  } catch (const ScriptError& failure) {
    lblDownload->setForeColor(kRed);
    lblDownload->setCaption(u"Install error");
    messageBox().showCritical(
        u"Install failed, please try again by clicking refresh on your browser.\r\n" +
            failure.description(),
        std::nullopt);
  }
  return {};
}

}  // namespace hv
