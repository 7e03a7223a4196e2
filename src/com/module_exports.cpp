// The module's four entry points and its load step. Nothing of the library runs on load.
#include <olectl.h>
#include <windows.h>

#include <array>
#include <deque>

#include "com/com_class_factory.h"
#include "com/com_errors.h"
#include "com/module_instance.h"
#include "com/registry_writer.h"
#include "com/type_library.h"
#include "com/variant_bridge.h"
#include "control/module_state.h"
#include "orchestrate/library_catalog.h"
#include "win32/composition/win32_platform.h"

namespace hv {
namespace {

const ClassCatalog& catalog() {
  static const ClassCatalog classes = libraryCatalog(win32Platform());
  return classes;
}

std::vector<RegistrationKey> registrationOf(const std::wstring& path) {
  return registrationEntries(textOf(path.c_str(), path.size()), sizeof(void*) == 8);
}

}  // namespace
}  // namespace hv

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    hv::setModuleHandle(instance);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  return hv::guarded([&] {
    // A deque: the factories hold their own reference counts and never move. Children come
    // from the module's own classes.
    static std::deque<hv::ComClassFactory> factories = [] {
      std::deque<hv::ComClassFactory> made;
      for (const auto& factory : hv::catalog().factories())
        made.emplace_back(factory, hv::catalog());
      return made;
    }();
    const hv::Guid wanted = hv::fromGuid(clsid);
    for (auto& factory : factories) {
      if (factory.classInfo().clsid == wanted)
        return factory.QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

STDAPI DllCanUnloadNow() {
  return hv::module_lifetime::canUnloadNow() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  return hv::guarded([] {
    const std::wstring path = hv::modulePath();
    const auto keys = hv::registrationOf(path);
    const HRESULT hr = hv::writeRegistration(keys);
    if (FAILED(hr))
      hv::removeRegistration(keys, path);
    return hr;
  });
}

STDAPI DllUnregisterServer() {
  return hv::guarded([] {
    const std::wstring path = hv::modulePath();
    return hv::removeRegistration(hv::registrationOf(path), path);
  });
}
