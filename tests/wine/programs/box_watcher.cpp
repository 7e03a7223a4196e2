// Presses OK on every message box of the desktop while script suites run, as their user would,
// and writes each box it closed to RECORD-FILE as one UTF-8 line: the title, a tab, the text
// (CR and LF written as \r and \n, a backslash as \\). It stops once STOP-FILE exists, or after
// SECONDS, whichever comes first.
//   hvdetector_box_watcher RECORD-FILE STOP-FILE SECONDS
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "message_boxes.h"

namespace {

std::string utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::string escaped(const std::wstring& text) {
  std::string out;
  for (char c : utf8(text)) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool exists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hvdetector_box_watcher RECORD-FILE STOP-FILE SECONDS\n");
    return 2;
  }
  FILE* record = _wfopen(argv[1], L"wb");
  if (record == nullptr)
    return 2;
  const ULONGLONG deadline = GetTickCount64() + 1000ULL * wcstoul(argv[3], nullptr, 10);
  hv::client::BoxPresser presser(0);
  while (!exists(argv[2]) && GetTickCount64() < deadline) {
    presser.pressOpenBoxes([record](const hv::client::SeenBox& box) {
      std::fprintf(record, "%s\t%s\n", escaped(box.title).c_str(), escaped(box.text).c_str());
      std::fflush(record);
    });
    Sleep(10);
  }
  std::fclose(record);
  return 0;
}
