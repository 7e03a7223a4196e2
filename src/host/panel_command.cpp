#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>

#include "control/control_layout.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/panel_svg.h"

namespace hv {
namespace {

struct PanelArguments {
  std::optional<std::string> svgFile;
  int value = 0;
};

std::optional<int> wholeNumber(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

// Writes all of `bytes` or says why not.
std::optional<std::string> writeWhole(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    return std::strerror(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  if (std::fclose(file) != 0 || !written)
    return std::strerror(written ? errno : writeErrno);
  return std::nullopt;
}

}  // namespace

int panelCommand(CommandContext& context) {
  const auto& bar = baseLayout().child("prgDownload");
  const int min = static_cast<int>(bar.rangeMin.value_or(0));
  const int max = static_cast<int>(bar.rangeMax.value_or(100));
  PanelArguments arguments;
  const auto& args = context.args;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto equals = args[i].find('=');
    const std::string name = args[i].substr(0, equals);
    if (name != "--svg" && name != "--value")
      return usageError(context, "panel takes --svg FILE and --value N, not " + echoed(args[i]));
    std::string value;
    if (equals != std::string::npos)
      value = args[i].substr(equals + 1);
    else if (i + 1 < args.size())
      value = args[++i];
    else
      return usageError(context, name + " needs a value");
    if (name == "--svg") {
      if (value.empty())
        return usageError(context, "--svg needs a file name, or - for standard output");
      arguments.svgFile = value;
      continue;
    }
    const auto number = wholeNumber(value);
    if (!number || *number < min || *number > max) {
      return usageError(context, "--value must be a whole number from " + std::to_string(min) +
                                     " to " + std::to_string(max) + ", not " + echoed(value));
    }
    arguments.value = *number;
  }
  if (!arguments.svgFile)
    return usageError(context, "panel needs --svg FILE");
  const std::string svg = panelSvg(baseLayout(), static_cast<float>(arguments.value));
  if (*arguments.svgFile == "-") {
    context.out << svg << std::flush;
    if (!context.out) {
      context.err << "hvdetector panel: cannot write to standard output\n";
      return kExitFlowFailure;
    }
    return kExitSuccess;
  }
  if (const auto failure = writeWhole(*arguments.svgFile, svg)) {
    context.err << "hvdetector panel: cannot write " << echoed(*arguments.svgFile) << ": "
                << *failure << "\n";
    return kExitFlowFailure;
  }
  return kExitSuccess;
}

}  // namespace hv
