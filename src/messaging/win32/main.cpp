#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "messaging/host_usage.h"
#include "messaging/win32/browser_registration.h"
#include "messaging/win32/messaging_host.h"
#include "runtime/text_encoding.h"

namespace {

// The browser reads frames from standard output. They go out on a handle of the host's own,
// which no program the host starts inherits, and standard output itself is pointed at standard
// error, so that nothing else written there can break a frame.
HANDLE takeStandardOutput() {
  HANDLE frames = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(),
                       &frames, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  std::fflush(stdout);
  if (_dup2(_fileno(stderr), _fileno(stdout)) != 0)
    std::freopen("NUL", "w", stdout);
  return frames;
}

constexpr hv::PersonCommand kCommands[] = {
    {"--register", "let Chrome, Edge and Firefox start this host for this user"},
    {"--unregister", "remove what --register wrote"},
};

std::vector<std::string> argumentsOf(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(hv::toUtf8(hv::Text(argv[i], argv[i] + std::wcslen(argv[i]))));
  return args;
}

// The user registers the host with the browsers, or asks about it, by running it so; a browser
// never starts it with any of these words first (Chrome and Edge pass the caller's origin,
// Firefox a manifest's path).
std::optional<int> personCommand(int argc, wchar_t** argv) {
  if (const auto text = hv::textForAPerson(argumentsOf(argc, argv), kCommands)) {
    std::cout << *text << std::flush;
    return std::cout ? 0 : 1;
  }
  if (argc != 2)
    return std::nullopt;
  const std::wstring command = argv[1];
  if (command == L"--register") {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const bool done = length > 0 && length < MAX_PATH &&
                      hv::registerWithBrowsers(std::wstring(self, length), std::cout);
    return done ? 0 : 1;
  }
  if (command == L"--unregister")
    return hv::unregisterFromBrowsers(std::cout) ? 0 : 1;
  return std::nullopt;
}

}  // namespace

// Frames are bytes: nothing on either stream may be turned into or out of CR LF.
int wmain(int argc, wchar_t** argv) {
  if (const auto status = personCommand(argc, argv))
    return *status;
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  const HANDLE frames = takeStandardOutput();
  if (frames == nullptr) {
    std::fputs("hvdetector-messaging-host: standard output cannot be used\n", stderr);
    return 1;
  }
  return hv::runMessagingHost(argumentsOf(argc, argv), GetStdHandle(STD_INPUT_HANDLE), frames);
}
