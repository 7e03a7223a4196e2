#pragma once

#include <memory>
#include <span>

#include "control/class_info.h"
#include "control/connection_point.h"

namespace hv {

// What an interface request on a control hands back. Every identifier of one interface, current
// or earlier, yields the same interface.
enum class InterfaceKind {
  None,
  Unknown,
  Dispatch,  // the class's default dual interface, also reached through IDispatch
  ConnectionPointContainer,
  ProvideClassInfo,
  ObjectSafety,
  Embedding,  // the interfaces the control runtime needs to embed a control in a page
};

// One instance of a control class. Creating one runs the thread's start-up routine first and
// counts the object for "can unload"; page script reaches its members through the dispatch layer.
class ControlObject : public std::enable_shared_from_this<ControlObject> {
 public:
  explicit ControlObject(const ClassInfo& info);
  virtual ~ControlObject();
  ControlObject(const ControlObject&) = delete;
  ControlObject& operator=(const ControlObject&) = delete;

  const ClassInfo& classInfo() const { return info_; }

  // Runs a member whose arguments the dispatch layer has already checked and coerced to the
  // declared types. By-reference arguments are written back to the caller afterwards.
  virtual Variant invokeMember(const MemberInfo& member, std::span<Variant> args) = 0;

  virtual InterfaceKind queryInterface(const Guid& iid) const;

  // The connection point for `iid`, or null when the control has no such outgoing interface.
  ConnectionPoint* findConnectionPoint(const Guid& iid);

 protected:
  void raiseEvent(DispId id, std::span<Variant> args) { events_.raise(id, args); }

  // Page script may drop the last reference to a control from inside any event or pump: code
  // that raises or pumps holds this across it. Null for a control nobody shares, whose owner
  // cannot be reached from script.
  std::shared_ptr<ControlObject> keepAlive() { return weak_from_this().lock(); }

 private:
  const ClassInfo& info_;
  ConnectionPoint events_;
};

// The script error members raise while their behaviour is still to come.
[[noreturn]] void throwNotImplemented(const ClassInfo& info, const MemberInfo& member);
[[noreturn]] void throwNotImplemented(const ClassInfo& info, std::string_view procedure);

}  // namespace hv
