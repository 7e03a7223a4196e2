#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "control/control_object.h"

namespace hv {

// Makes instances of one control class, as the module hands it out for the class identifier.
class ClassFactory {
 public:
  using Maker = std::function<std::shared_ptr<ControlObject>()>;

  ClassFactory(const ClassInfo& info, Maker maker) : info_(info), maker_(std::move(maker)) {}

  const ClassInfo& classInfo() const { return info_; }
  std::shared_ptr<ControlObject> createInstance() const { return maker_(); }

  // Keeps the module loaded without a live instance, as IClassFactory::LockServer does.
  static void lockServer(bool lock);

 private:
  const ClassInfo& info_;
  Maker maker_;
};

// The classes a module serves, found by class identifier or by ProgID.
class ClassCatalog {
 public:
  void add(ClassFactory factory) { factories_.push_back(std::move(factory)); }

  // Throws DispatchError "class not registered" for an identifier or name it does not serve.
  const ClassFactory& byClsid(const Guid& clsid) const;
  const ClassFactory& byProgId(TextView progId) const;
  // A ProgID, or a class identifier in registry form.
  const ClassFactory& resolve(TextView progIdOrClsid) const;

  const std::vector<ClassFactory>& factories() const { return factories_; }

 private:
  std::vector<ClassFactory> factories_;
};

}  // namespace hv
