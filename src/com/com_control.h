#pragma once

#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwchar>
#include <initializer_list>
#include <memory>
#include <new>

#include "com/com_connection_point.h"
#include "com/com_errors.h"
#include "com/com_invoke.h"
#include "com/com_object.h"
#include "com/ole_embedding.h"
#include "com/snapshot_enumerator.h"
#include "com/type_library.h"
#include "com/variant_bridge.h"
#include "control/control_object.h"
#include "control/dispatch.h"

namespace hv {

// A value a dual-interface member hands back through its [out, retval] pointer.
HRESULT storeResult(VARIANT& result, VARIANT_BOOL* out);
HRESULT storeResult(VARIANT& result, BSTR* out);
HRESULT storeResult(VARIANT& result, long* out);
HRESULT storeResult(VARIANT& result, VARIANT* out);

// A by-value or by-reference argument of a dual-interface member, as IDispatch would get it.
VARIANT byValue(BSTR value);
VARIANT byReference(BSTR* value);
VARIANT byReference(short* value);
VARIANT byReference(VARIANT* value);

// The thin COM skin over one control instance: the dual default interface `Dual`, IDispatch,
// connection points, class information, error information, what a container needs to embed it,
// and the interfaces the class adds (`Extra`). Every call goes to the plain C++ object through
// the dispatch layer; no C++ exception leaves a method.
template <typename Dual, typename... Extra>
class ComControl : public ComObject<ComLifetime::OwnReferences, Dual, IConnectionPointContainer,
                                    IProvideClassInfo2, ISupportErrorInfo, Extra...> {
 public:
  // `site` is where the instance shows itself, the one it was created with.
  ComControl(std::shared_ptr<ControlObject> object, std::shared_ptr<Win32UiSite> site)
      : object_(std::move(object)),
        embedding_(*static_cast<Dual*>(this), object_->classInfo(), std::move(site)) {}

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count)
      return failedWithoutErrorInfo(E_POINTER);
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info)
      return failedWithoutErrorInfo(E_POINTER);
    *info = nullptr;
    if (index != 0)
      return failedWithoutErrorInfo(DISP_E_BADINDEX);
    return failedWithoutErrorInfo(guarded(
        [&] { return moduleTypeInfo(object_->classInfo().defaultInterface.current.iid, info); }));
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!names || !ids)
      return failedWithoutErrorInfo(E_POINTER);
    // Only member names are known; parameter names cannot be used to name arguments.
    for (UINT i = 0; i < count; ++i)
      ids[i] = DISPID_UNKNOWN;
    if (count == 0)
      return S_OK;
    return guarded([&] {
      if (!names[0])
        return failedWithoutErrorInfo(DISP_E_UNKNOWNNAME);
      ids[0] = idOfName(object_->classInfo(), textOf(names[0], wcslen(names[0])));
      return count == 1 ? S_OK : failedWithoutErrorInfo(DISP_E_UNKNOWNNAME);
    });
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return invokeControl(*object_, id, flags, params, result, exception, argumentError);
  }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (!points)
      return E_POINTER;
    *points = nullptr;
    IConnectionPoint* point = nullptr;
    const HRESULT hr =
        FindConnectionPoint(toGuid(object_->classInfo().eventInterface.current.iid), &point);
    if (FAILED(hr))
      return hr;
    const HRESULT made = guarded([&] {
      *points = new ConnectionPointEnumerator({point});
      return S_OK;
    });
    point->Release();
    return made;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (!point)
      return E_POINTER;
    *point = nullptr;
    ConnectionPoint* events = object_->findConnectionPoint(fromGuid(riid));
    if (!events)
      return CONNECT_E_NOCONNECTION;
    const GUID current = toGuid(object_->classInfo().eventInterface.current.iid);
    *point = new (std::nothrow) ComConnectionPoint(this, *events, current);
    return *point ? S_OK : E_OUTOFMEMORY;
  }

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
    return guarded([&] { return moduleTypeInfo(object_->classInfo().clsid, info); });
  }
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override {
    if (!guid)
      return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
      return E_INVALIDARG;
    *guid = toGuid(object_->classInfo().eventInterface.current.iid);
    return S_OK;
  }

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    const Guid id = fromGuid(riid);
    return object_->queryInterface(id) == InterfaceKind::Dispatch ? S_OK : S_FALSE;
  }

 protected:
  ControlObject& object() { return *object_; }

  // A dual-interface member: the same call IDispatch makes, its result through `out`.
  template <typename Out>
  HRESULT callMember(DISPID id, WORD flags, std::initializer_list<VARIANT> args, Out* out) {
    if (!out)
      return failedWithoutErrorInfo(E_POINTER);
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = callControl(*object_, id, flags, args, &result);
    return SUCCEEDED(hr) ? failedWithoutErrorInfo(storeResult(result, out)) : hr;
  }
  HRESULT callMember(DISPID id, WORD flags, std::initializer_list<VARIANT> args) {
    return callControl(*object_, id, flags, args, nullptr);
  }

 private:
  // The control object decides which interfaces the class answers to.
  void* interfaceFor(REFIID riid) override {
    if (riid == IID_ISupportErrorInfo)
      return static_cast<ISupportErrorInfo*>(this);
    switch (object_->queryInterface(fromGuid(riid))) {
      case InterfaceKind::Unknown:
      case InterfaceKind::Dispatch:
        return static_cast<Dual*>(this);
      case InterfaceKind::ProvideClassInfo:
        return static_cast<IProvideClassInfo2*>(this);
      case InterfaceKind::ConnectionPointContainer:
      case InterfaceKind::ObjectSafety:
        return this->listedInterface(riid);
      case InterfaceKind::Embedding:
        return embedding_.interfaceFor(riid);
      case InterfaceKind::None:
        return nullptr;
    }
    return nullptr;
  }

  std::shared_ptr<ControlObject> object_;
  OleEmbedding embedding_;
};

}  // namespace hv
