#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

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

}  // namespace

// Frames are bytes: nothing on either stream may be turned into or out of CR LF.
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  const HANDLE frames = takeStandardOutput();
  if (frames == nullptr) {
    std::fputs("hvdetector-messaging-host: standard output cannot be used\n", stderr);
    return 1;
  }
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(hv::toUtf8(hv::Text(argv[i], argv[i] + std::wcslen(argv[i]))));
  return hv::runMessagingHost(args, GetStdHandle(STD_INPUT_HANDLE), frames);
}
