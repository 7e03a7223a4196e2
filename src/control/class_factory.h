#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "control/control_object.h"
#include "platform/ui_site.h"

namespace hv {

class ClassFactory;

// Finds the class a layout names for a child control, by its ProgID and class identifier.
// Throws DispatchError "class not registered" when there is none.
class ClassLookup {
 public:
  virtual ~ClassLookup() = default;
  virtual const ClassFactory& classFor(std::string_view progId, const Guid& clsid) const = 0;
};

// What whoever creates a control hands it: where the classes of its children are found and where
// it shows itself. Both outlive the control and every child it loads later: `classes` and a site
// its creator keeps are the creator's to keep alive; a site made for the one control is held
// through `uiOwner` by every control that keeps the context, so page script dropping its last
// reference in the middle of a flow never takes the site from under it.
struct CreationContext {
  const ClassLookup& classes;
  UiSite& ui;
  std::shared_ptr<UiSite> uiOwner = {};
};

// Makes instances of one control class, as the module hands it out for the class identifier.
class ClassFactory {
 public:
  using Maker = std::function<std::shared_ptr<ControlObject>(const CreationContext&)>;

  ClassFactory(const ClassInfo& info, Maker maker) : info_(info), maker_(std::move(maker)) {}

  const ClassInfo& classInfo() const { return info_; }
  std::shared_ptr<ControlObject> createInstance(const CreationContext& context) const {
    return maker_(context);
  }

  // Keeps the module loaded without a live instance, as IClassFactory::LockServer does.
  static void lockServer(bool lock);

 private:
  const ClassInfo& info_;
  Maker maker_;
};

// The classes a module serves, found by class identifier or by ProgID. As a lookup it finds
// children by class identifier, as the control runtime creates them.
class ClassCatalog : public ClassLookup {
 public:
  void add(ClassFactory factory) { factories_.push_back(std::move(factory)); }

  // Throws DispatchError "class not registered" for an identifier or name it does not serve.
  const ClassFactory& byClsid(const Guid& clsid) const;
  const ClassFactory& byProgId(TextView progId) const;
  // A ProgID, or a class identifier in registry form.
  const ClassFactory& resolve(TextView progIdOrClsid) const;

  const std::vector<ClassFactory>& factories() const { return factories_; }

  const ClassFactory& classFor(std::string_view progId, const Guid& clsid) const override;

 private:
  std::vector<ClassFactory> factories_;
};

}  // namespace hv
