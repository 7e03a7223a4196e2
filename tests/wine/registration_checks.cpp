// What registration wrote, that the module unloads when nothing holds it, and that
// unregistration takes away exactly what registration wrote.
#include <objbase.h>
#include <olectl.h>

#include "client_checks.h"
#include "control/library_identity.h"
#include "control/registration.h"

namespace hv::client {
namespace {

std::wstring wide(TextView text) {
  return std::wstring(text.begin(), text.end());
}

HKEY rootKey(RegistryRoot root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

bool keyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::wstring readValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

void checkRegistered(Checks& checks, const std::vector<RegistrationKey>& entries,
                     const std::string& when) {
  for (const auto& entry : entries) {
    const std::wstring path = wide(entry.path);
    const std::string label = when + ": " + std::string(path.begin(), path.end());
    checks.check(label + " exists", keyExists(rootKey(entry.root), path));
    for (const auto& value : entry.values) {
      checks.equal(label + " value " + std::string(value.name.begin(), value.name.end()),
                   readValue(rootKey(entry.root), path, wide(value.name)), wide(value.data));
    }
  }
  CLSID clsid{};
  checks.check(when + ": HVDetector.InetDownloader resolves to its class",
               SUCCEEDED(CLSIDFromProgID(L"HVDetector.InetDownloader", &clsid)) &&
                   fromGuid(clsid) == Guid::of("{D4F50458-F1CC-4BC8-8A45-1A285926FE74}"));
}

void checkNothingLeft(Checks& checks, const std::vector<RegistrationKey>& entries) {
  for (const auto& entry : entries) {
    const std::wstring path = wide(entry.path);
    checks.check("after unregistration " + std::string(path.begin(), path.end()) + " is gone",
                 !keyExists(rootKey(entry.root), path));
  }
  for (const auto& parent :
       {L"TypeLib\\" + wide(library::kLibid.toText()), std::wstring(L"HVDetector.Base"),
        std::wstring(L"HVDetector.InetDownloader")}) {
    checks.check("after unregistration " + std::string(parent.begin(), parent.end()) + " is gone",
                 !keyExists(HKEY_CLASSES_ROOT, parent));
  }
  for (const wchar_t* shared : {L"CLSID", L"Interface", L"TypeLib"}) {
    checks.check("the shared key " + std::string(shared, shared + wcslen(shared)) + " stays",
                 keyExists(HKEY_CLASSES_ROOT, shared));
  }
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

EntryPoint exported(HMODULE module, const char* name) {
  return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void checkUnloading(Checks& checks, HMODULE module) {
  const auto canUnload = exported(module, "DllCanUnloadNow");
  checks.check("DllCanUnloadNow is exported", canUnload != nullptr);
  if (!canUnload)
    return;
  checks.equal("nothing alive: the module may unload", canUnload(), S_OK);
  IUnknown* object = nullptr;
  CoCreateInstance(hv::client::guidOf("{60246658-5626-449F-8701-66D278AD2EB2}"), nullptr,
                   CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
  checks.equal("a live Base keeps it", canUnload(), S_FALSE);
  if (object)
    object->Release();
  checks.equal("released, it may unload again", canUnload(), S_OK);
}

// Another copy of the module registered after this one now serves Base: unregistering this copy
// takes away its own class and leaves the other copy's.
void checkAnotherCopyKeepsItsClass(Checks& checks, EntryPoint unregister,
                                   const std::vector<RegistrationKey>& entries) {
  const std::wstring base = L"CLSID\\{60246658-5626-449F-8701-66D278AD2EB2}";
  const std::wstring downloader = L"CLSID\\{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";
  const std::wstring other = L"C:\\elsewhere\\CorvantisHalverineDetector.ocx";
  const LONG written =
      RegSetKeyValueW(HKEY_CLASSES_ROOT, (base + L"\\InprocServer32").c_str(), nullptr, REG_SZ,
                      other.c_str(), static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  checks.equal("another copy's server path is written", written, ERROR_SUCCESS);
  checks.equal("unregistration beside another copy succeeds", unregister(), S_OK);
  checks.equal("the other copy's Base keeps its server",
               readValue(HKEY_CLASSES_ROOT, base + L"\\InprocServer32", L""), other);
  checks.check("the other copy's Base keeps its ProgID",
               keyExists(HKEY_CLASSES_ROOT, L"HVDetector.Base\\Clsid"));
  checks.check("this copy's InetDownloader is gone", !keyExists(HKEY_CLASSES_ROOT, downloader));
  checks.check("the type library this copy registered is gone",
               !keyExists(HKEY_CLASSES_ROOT, wide(entries.front().path)));
}

// The same file under the Unix root's drive (Z:), as Wine maps it; empty outside Wine.
std::wstring otherNameOf(const std::wstring& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  if (!name)
    return {};
  std::wstring other = L"Z:";
  for (const char* c = name; *c != '\0'; ++c)
    other += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
  HeapFree(GetProcessHeap(), 0, name);
  return other;
}

// Every key that names this module's file names `server` instead.
void nameServers(const std::vector<RegistrationKey>& entries, const std::wstring& modulePath,
                 const std::wstring& server) {
  for (const auto& entry : entries) {
    for (const auto& value : entry.values) {
      if (value.name.empty() && wide(value.data) == modulePath)
        RegSetKeyValueW(rootKey(entry.root), wide(entry.path).c_str(), nullptr, REG_SZ,
                        server.c_str(), static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    }
  }
}

// Unregistration compares files, not their names: the same file named otherwise is this copy;
// when every class is another copy's, nothing is removed and the answer says so.
void checkOtherNames(Checks& checks, EntryPoint unregister, EntryPoint reregister,
                     const std::vector<RegistrationKey>& entries, const std::wstring& modulePath) {
  const std::wstring other = otherNameOf(modulePath);
  checks.check("the module has another name", !other.empty() && other != modulePath);
  reregister();
  nameServers(entries, modulePath, other);
  checks.equal("unregistration through another name of the same file succeeds", unregister(), S_OK);
  checkNothingLeft(checks, entries);
  reregister();
  nameServers(entries, modulePath, L"C:\\elsewhere\\CorvantisHalverineDetector.ocx");
  checks.equal("unregistration of a copy that serves nothing says so", unregister(),
               SELFREG_E_CLASS);
  reregister();
  unregister();
}

}  // namespace

void checkRegistration(Checks& checks, const std::wstring& modulePath) {
  const auto entries =
      registrationEntries(Text(modulePath.begin(), modulePath.end()), sizeof(void*) == 8);
  checkRegistered(checks, entries, "after regsvr32");

  HMODULE module = LoadLibraryW(modulePath.c_str());
  checks.check("the module loads", module != nullptr);
  if (!module)
    return;
  checkUnloading(checks, module);
  const auto unregister = exported(module, "DllUnregisterServer");
  const auto reregister = exported(module, "DllRegisterServer");
  checks.check("both registration entry points are exported", unregister && reregister);
  if (unregister && reregister) {
    checks.equal("unregistration succeeds", unregister(), S_OK);
    checkNothingLeft(checks, entries);
    checks.equal("registration succeeds again", reregister(), S_OK);
    checkRegistered(checks, entries, "after registering again");
    checkAnotherCopyKeepsItsClass(checks, unregister, entries);
    checks.equal("registration over another copy succeeds", reregister(), S_OK);
    checkRegistered(checks, entries, "after registering over another copy");
    checks.equal("unregistration succeeds again", unregister(), S_OK);
    checkNothingLeft(checks, entries);
    checkOtherNames(checks, unregister, reregister, entries, modulePath);
  }
  FreeLibrary(module);
}

}  // namespace hv::client
