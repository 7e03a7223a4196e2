#include "control/class_factory.h"

#include "control/dispatch_error.h"
#include "control/module_state.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

[[noreturn]] void classNotRegistered(const std::string& what) {
  throw DispatchError(kRegDbEClassNotReg, "class not registered: " + what);
}

}  // namespace

void ClassFactory::lockServer(bool lock) {
  lock ? module_lifetime::lock() : module_lifetime::unlock();
}

const ClassFactory& ClassCatalog::byClsid(const Guid& clsid) const {
  for (const auto& f : factories_) {
    if (f.classInfo().clsid == clsid)
      return f;
  }
  classNotRegistered(clsid.toString());
}

const ClassFactory& ClassCatalog::byProgId(TextView progId) const {
  for (const auto& f : factories_) {
    if (equalsIgnoringAsciiCase(f.classInfo().progId, progId))
      return f;
  }
  classNotRegistered(toUtf8(progId));
}

const ClassFactory& ClassCatalog::resolve(TextView progIdOrClsid) const {
  if (const auto clsid = Guid::parse(toUtf8(progIdOrClsid)))
    return byClsid(*clsid);
  return byProgId(progIdOrClsid);
}

const ClassFactory& ClassCatalog::classFor(std::string_view, const Guid& clsid) const {
  return byClsid(clsid);
}

}  // namespace hv
