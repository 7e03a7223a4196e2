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

Variant Base::LaunchInternal(Text&) {
  pending(classInfo(), base_dispid::kLaunchInternal);
}

Text Base::getRemoteFile(Variant&) {
  pending(classInfo(), base_dispid::kGetRemoteFile);
}

Variant Base::INSTALL() {
  pending(classInfo(), base_dispid::kINSTALL);
}

std::int32_t Base::DownloadInternal(Text&, Text&) {
  pending(classInfo(), base_dispid::kDownloadInternal);
}

std::int32_t Base::Download(Text&, Text&) {
  pending(classInfo(), base_dispid::kDownload);
}

}  // namespace hv
