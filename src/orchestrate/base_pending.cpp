// Members of Base whose behaviour is still to come: each raises a clear script error.
#include "control/library_classes.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

[[noreturn]] void pending(const ClassInfo& info, DispId id) {
  throwNotImplemented(info, *info.findMember(id));
}

}  // namespace

Variant Base::LAUNCH(Text&) {
  pending(classInfo(), base_dispid::kLAUNCH);
}

Text Base::getRemoteFile(Variant&) {
  pending(classInfo(), base_dispid::kGetRemoteFile);
}

Variant Base::INSTALL() {
  pending(classInfo(), base_dispid::kINSTALL);
}

}  // namespace hv
