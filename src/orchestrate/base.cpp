#include "orchestrate/base.h"

#include "control/library_classes.h"
#include "control/module_state.h"

namespace hv {

Base::Base(Platform& platform) : ControlObject(baseClass()), platform_(platform) {
  InetDownloader1.push_back(std::make_shared<InetDownloader>(platform_));
  UserControl_Initialize();
}

Base::~Base() {
  UserControl_Terminate();
}

void Base::UserControl_Initialize() {
  threadModuleState().logLevel = -1;
}

void Base::UserControl_Terminate() {
  objInetDownloader.reset();
}

Variant Base::invokeMember(const MemberInfo& member, std::span<Variant>) {
  throwNotImplemented(classInfo(), member);
}

}  // namespace hv
