#include "messaging_driver/driver_checks.h"

#include <oaidl.h>
#include <ole2.h>

#include <fstream>
#include <iterator>

#include "messaging/message_table.h"

namespace hv::client {
namespace {

using nlohmann::json;

const std::string kChromium = "chrome-extension://egafbdheimjkckgieoggiofnmblcbfdm/";
const json kOpen = {{"type", "open"}, {"origin", "https://www.corvantis.example"}};
constexpr const char* kInstaller = "http://www.corvantis.example/dl/setup.exe";
constexpr const char* kDocument = "http://www.corvantis.example/dl/report.cvx";
constexpr const wchar_t* kOpenCommandKey = L"Corvantis Executable\\Shell\\Open\\Command";
constexpr DWORD kFlowLimitMs = 30000;

std::wstring beside(const std::wstring& file, const wchar_t* name) {
  return file.substr(0, file.find_last_of(L'\\') + 1) + name;
}

bool runAndWait(std::wstring line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  DWORD status = 1;
  WaitForSingleObject(process.hProcess, kFlowLimitMs);
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status == 0;
}

// The command line the recording program wrote to `record`, once it has.
std::wstring recordedLine(const std::wstring& record) {
  const ULONGLONG deadline = GetTickCount64() + kFlowLimitMs;
  while (GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount64() < deadline)
    Sleep(10);
  std::ifstream file(record.c_str(), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(file), {});
  std::wstring line(bytes.size() / sizeof(wchar_t), L'\0');
  bytes.copy(reinterpret_cast<char*>(line.data()), line.size() * sizeof(wchar_t));
  return line;
}

std::wstring freshRecord(const DriverSetup& setup, const wchar_t* name) {
  const std::wstring record = beside(setup.host, name);
  DeleteFileW(record.c_str());
  SetEnvironmentVariableW(L"HVDETECTOR_RECORD", record.c_str());
  return record;
}

// A page opened on a fresh host.
struct OpenPage {
  explicit OpenPage(const DriverSetup& setup) : host(setup.host, {kChromium}) {
    host.send(kOpen);
    opened = testing::holds(host.receive().value_or(nullptr), {{"type", "opened"}});
  }
  json call(int id, const std::string& member, json args) {
    host.send({{"type", "call"}, {"id", id}, {"name", member}, {"args", args}});
    return host.receive().value_or(nullptr);
  }
  HostProcess host;
  bool opened = false;
};

std::string statusCaption(const json& panel) {
  for (const auto& child : panel["detail"].value("children", json::array())) {
    if (child.value("name", "") == "lblDownload")
      return child.value("caption", "");
  }
  return {};
}

struct InstallCase {
  const wchar_t* exitStatus;
  const char* caption;
  const char* box;  // the box's text, or none
};

void checkInstall(Checks& checks, const DriverSetup& setup, const InstallCase& c) {
  const std::string label = std::string("INSTALL, installer exit ") +
                            std::string(c.exitStatus, c.exitStatus + wcslen(c.exitStatus));
  SetEnvironmentVariableW(L"HVDETECTOR_EXIT", c.exitStatus);
  const std::wstring record = freshRecord(setup, L"messaging-install.record");
  OpenPage page(setup);
  page.host.send({{"type", "put"}, {"id", 1}, {"name", "DownloadLocation"}, {"value", kInstaller}});
  page.host.receive();
  checks.check(label + ": answered", testing::holds(page.call(2, "INSTALL", json::array()),
                                                    {{"type", "result"}, {"id", 2}}));
  std::string caption, box;
  while (const auto message = page.host.receive(true, kFlowLimitMs)) {
    if (message->value("name", "") == "box")
      box = (*message)["detail"].value("text", "");
    if (const std::string shown = statusCaption(*message); !shown.empty())
      caption = shown;
    // The box may come before the label's last change or after it.
    if ((caption == "Install complete" || caption == "Install error") && (!c.box || !box.empty()))
      break;
  }
  SetEnvironmentVariableW(L"HVDETECTOR_EXIT", nullptr);
  checks.equal(label + ": the status label", caption, std::string(c.caption));
  if (c.box)
    checks.check(label + ": the box says why (" + box + ")", box.ends_with(c.box));
  const std::wstring line = recordedLine(record);
  checks.check(label + ": the installer ran silently from the temporary folder",
               line.ends_with(L".exe\" /S /P") && line.find(L"setup") != std::wstring::npos);
}

void checkLaunch(Checks& checks, const DriverSetup& setup) {
  const std::wstring program =
      L"\"" + beside(setup.host, L"hvdetector_recording_program.exe") + L"\" \"%1\" /view";
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CLASSES_ROOT, kOpenCommandKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                  nullptr);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                 static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  const std::wstring record = freshRecord(setup, L"messaging-launch.record");
  OpenPage page(setup);
  checks.check("LAUNCH: answered", testing::holds(page.call(1, "LAUNCH", json::array({kDocument})),
                                                  {{"type", "result"}, {"id", 1}}));
  const std::wstring line = recordedLine(record);
  checks.check("LAUNCH: the registered program opens the fetched document",
               line.find(L"report") != std::wstring::npos && line.ends_with(L".cvx\" /view"));
}

// The control as a page in the old browser holds it: the detection property through IDispatch.
std::optional<bool> controlAnswer(const wchar_t* property) {
  CLSID clsid{};
  IDispatch* base = nullptr;
  if (FAILED(CLSIDFromProgID(L"HVDetector.Base", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&base))))
    return std::nullopt;
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(property);
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none{};
  std::optional<bool> answer;
  if (SUCCEEDED(base->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)) &&
      SUCCEEDED(base->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             &result, nullptr, nullptr)) &&
      result.vt == VT_BOOL)
    answer = result.boolVal != VARIANT_FALSE;
  VariantClear(&result);
  base->Release();
  return answer;
}

void checkBothWorlds(Checks& checks, const DriverSetup& setup) {
  OleInitialize(nullptr);
  OpenPage page(setup);
  int id = 0;
  for (const wchar_t* property : {L"HasCvxMime", L"HasParticipantHalverine", L"HasSupervisorHV"}) {
    const std::string name(property, property + wcslen(property));
    page.host.send({{"type", "get"}, {"id", ++id}, {"name", name}});
    const json answer = page.host.receive().value_or(nullptr);
    const auto control = controlAnswer(property);
    checks.check(name + ": the control and the host see the same (" + answer.dump() + ")",
                 control && answer.value("value", json()) == json(*control));
  }
  OleUninitialize();
}

std::optional<std::wstring> defaultValue(const wchar_t* key) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::string fileText(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// --register names a manifest for each browser under the user's keys, and the manifest names
// the host; --unregister takes both away again.
void checkRegistration(Checks& checks, const DriverSetup& setup) {
  struct Browser {
    const wchar_t* key;
    const char* allows;
  };
  const Browser browsers[] = {
      {L"Software\\Google\\Chrome\\NativeMessagingHosts\\com.corvantis.hvdetector",
       kChromium.c_str()},
      {L"Software\\Microsoft\\Edge\\NativeMessagingHosts\\com.corvantis.hvdetector",
       kChromium.c_str()},
      {L"Software\\Mozilla\\NativeMessagingHosts\\com.corvantis.hvdetector",
       "hvdetector@corvantis.example"},
  };
  checks.check("--register", runAndWait(L"\"" + setup.host + L"\" --register"));
  std::vector<std::wstring> manifests;
  for (const auto& browser : browsers) {
    const std::string key(browser.key, browser.key + wcslen(browser.key));
    const auto manifest = defaultValue(browser.key);
    checks.check(key + " names a manifest", manifest.has_value());
    const json text = json::parse(fileText(manifest.value_or(L"")), nullptr, false);
    checks.check(key + ": the manifest names the host and our extension",
                 text.value("path", "") == std::string(setup.host.begin(), setup.host.end()) &&
                     text.dump().find(browser.allows) != std::string::npos);
    manifests.push_back(manifest.value_or(L""));
  }
  checks.check("--unregister", runAndWait(L"\"" + setup.host + L"\" --unregister"));
  for (std::size_t i = 0; i < std::size(browsers); ++i) {
    checks.check("unregistered: no key", !defaultValue(browsers[i].key));
    checks.check("unregistered: no manifest",
                 GetFileAttributesW(manifests[i].c_str()) == INVALID_FILE_ATTRIBUTES);
  }
}

}  // namespace

bool importStore(const std::wstring& store) {
  return runAndWait(L"regedit.exe /s \"" + store + L"\"");
}

void checkWindowsFlows(Checks& checks, const DriverSetup& setup) {
  // A person's options answer and end: the host does not wait for frames as for a browser.
  for (const wchar_t* option : {L"--help", L"--version"})
    checks.check(std::string(option, option + wcslen(option)) + " prints and succeeds",
                 runAndWait(L"\"" + setup.host + L"\" " + option));
  checkRegistration(checks, setup);
  checkBothWorlds(checks, setup);
  checkInstall(checks, setup, {L"0", "Install complete", nullptr});
  checkInstall(checks, setup, {L"1", "Install error", "The installer ended with exit status 1"});
  checkLaunch(checks, setup);
  checks.check("the store is imported again", importStore(setup.store));
}

}  // namespace hv::client
