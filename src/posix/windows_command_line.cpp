#include "posix/windows_command_line.h"

#include <algorithm>

namespace hv {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string programName(std::string_view line) {
  if (line.starts_with('"'))
    return std::string(line.substr(1, line.find('"', 1) - 1));
  return std::string(line.substr(0, line.find_first_of(" \t")));
}

// The C runtime takes the program name as everything up to the first blank or tab outside
// quotes, quotes toggling without escapes; whatever it takes is no argument, even where Windows
// stopped reading the name earlier.
std::size_t endOfProgramName(std::string_view line) {
  bool quoted = false;
  std::size_t i = 0;
  for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
  }
  return i;
}

// One argument starting at `i`, which it leaves at the blank or end that closes it.
std::string nextArgument(std::string_view line, std::size_t& i) {
  std::string word;
  bool quoted = false;
  while (i < line.size() && (quoted || !isBlank(line[i]))) {
    if (line[i] == '\\') {
      const std::size_t run = std::min(line.find_first_not_of('\\', i), line.size());
      const std::size_t slashes = run - i;
      i = run;
      if (i < line.size() && line[i] == '"') {
        word.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          word += '"';
          ++i;
        }
      } else {
        word.append(slashes, '\\');
      }
    } else if (line[i] == '"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        word += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      word += line[i++];
    }
  }
  return word;
}

}  // namespace

CommandLineWords splitWindowsCommandLine(std::string_view line) {
  CommandLineWords words{programName(line), {}};
  std::size_t i = endOfProgramName(line);
  for (;;) {
    while (i < line.size() && isBlank(line[i]))
      ++i;
    if (i == line.size())
      break;
    words.arguments.push_back(nextArgument(line, i));
  }
  return words;
}

}  // namespace hv
