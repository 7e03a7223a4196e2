#include <objbase.h>
#include <objsafe.h>

#include <vector>

#include "client_checks.h"

namespace hv::client {
namespace {

constexpr const char* kBase = "{60246658-5626-449F-8701-66D278AD2EB2}";
constexpr const char* kInetDownloader = "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";
constexpr const char* kIDispatch = "{00020400-0000-0000-C000-000000000046}";
constexpr const char* kIPersistStream = "{00000109-0000-0000-C000-000000000046}";
constexpr const char* kIPersistStorage = "{0000010A-0000-0000-C000-000000000046}";
constexpr const char* kIPersistPropertyBag = "{37D84F60-42CB-11CE-8135-00AA004BB851}";
constexpr const char* kIDispatchEx = "{A6EF9860-C720-11D0-9337-00A0C90DCAA9}";
constexpr const char* kIUnknown = "{00000000-0000-0000-C000-000000000046}";
constexpr DWORD kUntouched = 0xDEADBEEF;

// A browser calls through the C binding, where the identifier is a pointer and may be null.
using GetOptions = HRESULT(STDMETHODCALLTYPE*)(IObjectSafety*, const IID*, DWORD*, DWORD*);
using SetOptions = HRESULT(STDMETHODCALLTYPE*)(IObjectSafety*, const IID*, DWORD, DWORD);

template <typename Fn>
Fn slot(IObjectSafety* safety, int index) {
  return reinterpret_cast<Fn>((*reinterpret_cast<void***>(safety))[index]);
}

struct GetCase {
  const char* iid;  // null: no identifier
  HRESULT result;
  DWORD enabled;  // kUntouched: left as it was
};

struct SetCase {
  const char* iid;
  DWORD mask;
  DWORD enabled;
  HRESULT result;
};

std::string label(const char* iid) {
  return iid ? iid : "no identifier";
}

}  // namespace

void checkObjectSafety(Checks& checks) {
  IObjectSafety* safety = nullptr;
  checks.equal("Base answers for IObjectSafety",
               CoCreateInstance(guidOf(kBase), nullptr, CLSCTX_INPROC_SERVER, IID_IObjectSafety,
                                reinterpret_cast<void**>(&safety)),
               S_OK);
  if (!safety)
    return;
  const auto get = slot<GetOptions>(safety, 3);
  const auto set = slot<SetOptions>(safety, 4);

  const std::vector<GetCase> gets = {
      {kIDispatch, S_OK, 1},       {kIPersistStream, S_OK, 2},
      {kIPersistStorage, S_OK, 2}, {kIPersistPropertyBag, S_OK, 2},
      {kIDispatchEx, S_OK, 2},     {kIUnknown, E_NOINTERFACE, kUntouched},
      {nullptr, S_OK, kUntouched},
  };
  for (const auto& c : gets) {
    GUID id = c.iid ? guidOf(c.iid) : GUID{};
    DWORD supported = kUntouched;
    DWORD enabled = kUntouched;
    checks.equal("Get " + label(c.iid), get(safety, c.iid ? &id : nullptr, &supported, &enabled),
                 c.result);
    checks.equal("Get " + label(c.iid) + " supported", supported, DWORD{3});
    checks.equal("Get " + label(c.iid) + " enabled", enabled, c.enabled);
  }

  const std::vector<SetCase> sets = {
      {kIDispatch, 1, 1, S_OK},
      {kIDispatch, 3, 1, S_OK},
      {kIDispatch, 3, 3, E_FAIL},
      {kIDispatch, 1, 0, E_FAIL},
      {kIPersistPropertyBag, 2, 2, S_OK},
      {kIPersistPropertyBag, 3, 2, S_OK},
      {kIPersistPropertyBag, 3, 3, E_FAIL},
      {kIPersistStream, 2, 2, S_OK},
      {kIDispatchEx, 2, 2, E_NOINTERFACE},
      {kIDispatchEx, 1, 1, E_NOINTERFACE},
      {kIUnknown, 1, 1, E_NOINTERFACE},
      {nullptr, 1, 1, S_OK},
  };
  for (const auto& c : sets) {
    GUID id = c.iid ? guidOf(c.iid) : GUID{};
    checks.equal("Set " + label(c.iid) + " mask " + std::to_string(c.mask) + " enabled " +
                     std::to_string(c.enabled),
                 set(safety, c.iid ? &id : nullptr, c.mask, c.enabled), c.result);
  }
  safety->Release();

  IUnknown* downloader = nullptr;
  CoCreateInstance(guidOf(kInetDownloader), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                   reinterpret_cast<void**>(&downloader));
  checks.check("InetDownloader is created", downloader != nullptr);
  if (downloader) {
    void* none = nullptr;
    checks.equal("InetDownloader has no IObjectSafety",
                 downloader->QueryInterface(IID_IObjectSafety, &none), E_NOINTERFACE);
    downloader->Release();
  }
}

}  // namespace hv::client
