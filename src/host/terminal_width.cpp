#include "host/terminal_width.h"

#include <sys/ioctl.h>

namespace hv {

int terminalColumns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0)
    return 0;
  return size.ws_col;
}

std::string fittedLine(const std::string& line, int columns) {
  if (columns <= 0)
    return line;
  const std::size_t room = static_cast<std::size_t>(columns - 1);
  std::string fitted;
  std::size_t used = 0;
  bool cut = false;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == '\x1b') {  // CSI: ESC [ parameters, then a final byte from @ to ~
      std::size_t end = i + 2;
      while (end < line.size() && (line[end] < '@' || line[end] > '~'))
        ++end;
      fitted.append(line, i, end + 1 - i);
      i = end + 1;
      continue;
    }
    std::size_t next = i + 1;
    while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80)
      ++next;
    if (used == room || cut) {
      cut = true;
    } else {
      fitted.append(line, i, next - i);
      ++used;
    }
    i = next;
  }
  return fitted;
}

}  // namespace hv
