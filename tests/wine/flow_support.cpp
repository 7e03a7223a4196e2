#include "flow_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "client_calls.h"
#include "environment_variable.h"

namespace hv::client {
namespace {

std::wstring besideClient(const wchar_t* name) {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

std::string fileBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Wine's debug form of a wide text: L"...", with \\, \", \n, \r and \t, other characters outside
// printable ASCII as four hexadecimal digits after a backslash, and "..." after the closing
// quote when it was cut short.
std::wstring fromDebugForm(const std::string& quoted) {
  std::wstring text;
  const std::size_t end = quoted.rfind('"');
  for (std::size_t i = 2; i < end; ++i) {
    if (quoted[i] != '\\') {
      text += static_cast<wchar_t>(quoted[i]);
      continue;
    }
    const char next = quoted[++i];
    switch (next) {
      case 'n':
        text += L'\n';
        break;
      case 'r':
        text += L'\r';
        break;
      case 't':
        text += L'\t';
        break;
      case '\\':
      case '"':
        text += static_cast<wchar_t>(next);
        break;
      default:
        text += static_cast<wchar_t>(std::stoul(quoted.substr(i, 4), nullptr, 16));
        i += 3;
    }
  }
  return text;
}

}  // namespace

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n')
      out += c == L'\r' ? "\\r" : "\\n";
    else
      out += c < 128 ? static_cast<char>(c) : '?';
  }
  return out;
}

std::wstring tempFolder() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return folder;
}

Page::Page() : base_(createDispatch(kBaseClsid)) {}

Page::~Page() {
  if (base_)
    base_->Release();
}

HRESULT Page::call(DISPID id, const wchar_t* argument, WORD flags) {
  if (!base_)
    return REGDB_E_CLASSNOTREG;
  std::vector<VARIANT> args;
  if (argument)
    args.push_back(textVariant(argument));
  Call made = invoke(base_, id, flags, args);
  for (auto& arg : args)
    VariantClear(&arg);
  release(made);
  return made.hr;
}

void checkBoxes(Checks& checks, const std::string& label, const std::vector<SeenBox>& seen,
                const std::vector<SeenBox>& expected) {
  checks.equal(label + ": boxes shown", seen.size(), expected.size());
  for (std::size_t i = 0; i < std::min(seen.size(), expected.size()); ++i) {
    checks.equal(label + ": title", narrow(seen[i].title), narrow(expected[i].title));
    checks.equal(label + ": text", narrow(seen[i].text), narrow(expected[i].text));
    checks.check(label + ": text exactly", seen[i].text == expected[i].text);
  }
}

ScratchKeys::~ScratchKeys() {
  for (const auto& [root, tree] : trees_)
    RegDeleteTreeW(root, tree.c_str());
}

void ScratchKeys::setText(HKEY root, const std::wstring& key, const wchar_t* name,
                          const std::wstring& value) {
  HKEY opened = nullptr;
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
  RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

std::wstring recordingProgram() {
  return besideClient(L"hvdetector_recording_program.exe");
}

std::wstring freshRecord(const wchar_t* name) {
  const std::wstring path = besideClient(name);
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"HVDETECTOR_RECORD", path.c_str());
  return path;
}

std::optional<std::wstring> recordedCommandLine(const std::wstring& record, DWORD limitMs) {
  const bool arrived = pumpUntil(
      [&] { return GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES; }, limitMs);
  if (!arrived)
    return std::nullopt;
  const std::string bytes = fileBytes(record);
  std::wstring line(bytes.size() / sizeof(wchar_t), L'\0');
  bytes.copy(reinterpret_cast<char*>(line.data()), line.size() * sizeof(wchar_t));
  return line;
}

// Only whole lines: the module may be writing the next one.
EventLogTrace::EventLogTrace() : path_(environmentVariable(L"HVDETECTOR_EVENTLOG_TRACE")) {
  const std::string bytes = fileBytes(path_);
  readUpTo_ = bytes.rfind('\n') + 1;
}

std::vector<LoggedEntry> EventLogTrace::newEntries() {
  const std::string bytes = fileBytes(path_);
  const std::size_t end = bytes.rfind('\n') + 1;
  std::istringstream lines(bytes.substr(readUpTo_, end > readUpTo_ ? end - readUpTo_ : 0));
  readUpTo_ = std::max(readUpTo_, end);
  constexpr std::string_view kSource = ":fixme:advapi:RegisterEventSourceA (";
  constexpr std::string_view kReport = ":fixme:advapi:ReportEventA (";
  constexpr std::string_view kText = ":trace:eventlog:ReportEventW ";
  std::vector<LoggedEntry> entries;
  for (std::string line; std::getline(lines, line);) {
    if (const std::size_t at = line.find(kSource); at != std::string::npos) {
      const std::size_t open = line.find(",\"", at);
      const std::size_t close = line.find("\")", open);
      source_ = open != std::string::npos && close != std::string::npos
                    ? line.substr(open + 2, close - open - 2)
                    : std::string();
    } else if (const std::size_t at = line.find(kReport); at != std::string::npos) {
      const std::size_t comma = line.find(',', at);
      entries.push_back(
          {source_, static_cast<int>(std::stoul(line.substr(comma + 1), nullptr, 16)), {}});
    } else if (const std::size_t at = line.find(kText); at != std::string::npos) {
      if (entries.empty())
        entries.emplace_back();  // a text without its report: neither source nor type known
      entries.back().text += fromDebugForm(line.substr(at + kText.size()));
    }
  }
  return entries;
}

}  // namespace hv::client
