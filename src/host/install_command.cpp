// `hvdetector install [--location URL]`: a page's Base fetching the installer and running it.
#include <array>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/dispatch.h"
#include "host/exit_status.h"
#include "host/flow_command.h"
#include "host/worker_outcome.h"
#include "posix/posix_code_page.h"
#include "runtime/printable_text.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The installer's location, when the command line gives one; throws std::invalid_argument for
// any other argument.
std::optional<std::string> locationArgument(const std::vector<std::string>& args) {
  if (args.empty())
    return std::nullopt;
  if (args.size() == 2 && args[0] == "--location" && !args[1].empty())
    return args[1];
  if (args.size() == 1 && args[0].starts_with("--location=") && args[0].size() > 11)
    return args[0].substr(11);
  throw std::invalid_argument("install takes no arguments but --location URL");
}

// Starts the download of the installer as the page's script would; false when it did not start.
bool startInstall(CommandContext& context, const FlowSetting& flow, Base& base,
                  const std::optional<Text>& location) {
  try {
    if (location) {
      std::array<Variant, 1> url{Variant(*location)};
      invokeByName(base, u"DownloadLocation", MemberKind::PropertyPut, url);
      // The control ignores a location off the vendor's domain and would fetch its own
      // installer instead, which is not what the person asked for.
      if (base.installerUrl() != *location) {
        context.err << flow.who << ": the control refused " << quotedExcerpt(*location)
                    << " as the installer's location (it is not on the vendor's domain)\n";
        return false;
      }
    }
    invokeByName(base, u"INSTALL", MemberKind::Method, {});
  } catch (const ScriptError& e) {
    reportScriptError(context, flow.who, e, location.value_or(base.installerUrl()));
    return false;
  }
  return true;
}

}  // namespace

int installCommand(CommandContext& context) {
  std::optional<Text> location;
  try {
    if (const auto text = locationArgument(context.args)) {
      location = urlFromCommandLine(context, "install --location", *text);
      if (!location)
        return kExitUsage;
    }
  } catch (const std::invalid_argument& e) {
    return usageError(context, e.what());
  }
  FlowSetting flow(context, "install", FlowDriver::PageBase);
  PageBase& page = *flow.page;
  Base& base = page.base();

  flow.host.processes().beforeEachWait([&] { page.panel().drawPending(); });
  const std::size_t loaded = base.inetDownloaders().size();
  if (!startInstall(context, flow, base, location)) {
    page.panel().flush();
    return kExitFlowFailure;
  }
  const auto outcome = listenToNewWorker(base, loaded);
  if (!outcome) {
    context.err << flow.who << ": the control started no download\n";
    return kExitFlowFailure;
  }
  const auto flush = [&] { page.panel().flush(); };
  if (!flow.run.awaitOutcome(
          flow.host.loop(), [&] { return outcome->ended(); }, flush))
    return kExitFlowFailure;
  flush();
  const auto& starts = flow.host.processes().starts();
  if (page.boxesShown() > 0 || base.statusLabel().Caption() != u"Install complete" ||
      starts.empty()) {
    if (outcome->failed)
      context.err << flow.who << ": the download failed: " << outcome->failureText() << "\n";
    context.err << flow.who << ": the application was not installed\n";
    return kExitFlowFailure;
  }
  context.out << toAnsi(starts.back().commandLine, kPosixCodePage) << "\n";
  return kExitSuccess;
}

}  // namespace hv
