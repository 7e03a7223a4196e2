#include "control/control_object.h"

#include "control/com_interfaces.h"
#include "control/module_state.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

bool isEmbeddingInterface(const Guid& id) {
  for (const Guid& g :
       {iid::kIOleObject, iid::kIOleControl, iid::kIOleWindow, iid::kIOleInPlaceObject,
        iid::kIOleInPlaceActiveObject, iid::kIViewObject, iid::kIViewObject2, iid::kIViewObjectEx,
        iid::kIPersist, iid::kIPersistStreamInit, iid::kIPersistStorage, iid::kIPersistPropertyBag,
        iid::kIQuickActivate}) {
    if (g == id)
      return true;
  }
  return false;
}

}  // namespace

ControlObject::ControlObject(const ClassInfo& info) : info_(info), events_(info.eventInterface) {
  runStartupRoutineOnce();
  module_lifetime::objectCreated();
}

ControlObject::~ControlObject() {
  module_lifetime::objectDestroyed();
}

InterfaceKind ControlObject::queryInterface(const Guid& id) const {
  if (id == iid::kIUnknown)
    return InterfaceKind::Unknown;
  if (id == iid::kIDispatch || info_.defaultInterface.answers(id))
    return InterfaceKind::Dispatch;
  if (id == iid::kIConnectionPointContainer)
    return InterfaceKind::ConnectionPointContainer;
  if (id == iid::kIProvideClassInfo || id == iid::kIProvideClassInfo2) {
    return InterfaceKind::ProvideClassInfo;
  }
  if (id == iid::kIObjectSafety && info_.objectSafety)
    return InterfaceKind::ObjectSafety;
  if (isEmbeddingInterface(id))
    return InterfaceKind::Embedding;
  return InterfaceKind::None;
}

ConnectionPoint* ControlObject::findConnectionPoint(const Guid& iid) {
  return events_.accepts(iid) ? &events_ : nullptr;
}

void throwNotImplemented(const ClassInfo& info, const MemberInfo& member) {
  throwNotImplemented(info, member.name);
}

void throwNotImplemented(const ClassInfo& info, std::string_view procedure) {
  throw ScriptError(static_cast<std::int32_t>(0x80004001), textFromAscii(info.name),
                    textFromAscii(std::string(info.name) + "." + std::string(procedure) +
                                  " is not implemented yet"));
}

}  // namespace hv
