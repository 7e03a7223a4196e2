// `hvdetector launch URL` and `hvdetector launch-internal NAME`: a page's Base opening a document
// with the application registered for its type.
#include <array>
#include <ostream>
#include <string_view>

#include "control/dispatch.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/flow_run.h"
#include "host/host_platform.h"
#include "host/page_base.h"
#include "host/usable_environment.h"
#include "host/worker_outcome.h"
#include "platform/posix/posix_code_page.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The page learns nothing of what the flow started, so the host tells from the starts it saw:
// the command line of the program that runs now, or why there is none.
int reportLaunch(CommandContext& context, std::string_view who, const PageBase& page,
                 const ObservedProcesses& processes) {
  const auto& starts = processes.starts();
  if (page.boxesShown() > 0 || starts.empty()) {
    context.err << who << ": nothing was started\n";
    return kExitFlowFailure;
  }
  const ObservedProcesses::Start& last = starts.back();
  if (last.failure && last.commandLine.empty()) {
    context.err << who
                << ": nothing was started: no open command is registered for the "
                   "application's documents\n";
    return kExitFlowFailure;
  }
  if (last.failure) {
    context.err << who << ": could not start " << toUtf8(last.commandLine) << ": error "
                << last.failure->number() << ": " << toUtf8(last.failure->description()) << "\n";
    return kExitFlowFailure;
  }
  context.out << toAnsi(last.commandLine, kPosixCodePage) << "\n";
  return kExitSuccess;
}

// A by-reference text argument from the command line, as the page's script would pass it.
std::array<Variant, 1> textArgument(const std::string& value) {
  return {Variant(fromAnsi(value, kPosixCodePage))};
}

}  // namespace

int launchCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "launch takes exactly one URL");
  FlowRun run(context, "hvdetector launch");
  HostPlatform host(context);
  PageBase page(context, host);
  requireUsableTempFolder(host.platform().tempFolder);

  const std::size_t loaded = page.base().inetDownloaders().size();
  auto args = textArgument(context.args[0]);
  invokeByName(page.base(), u"LAUNCH", MemberKind::Method, args);
  // LAUNCH shows or drops its own failures; no new worker means it stopped before the download.
  if (const auto outcome = listenToNewWorker(page.base(), loaded)) {
    const auto flush = [&] { page.panel().flush(); };
    if (!run.awaitOutcome(
            host.loop(), [&] { return outcome->ended(); }, flush))
      return kExitFlowFailure;
  }
  page.panel().flush();
  return reportLaunch(context, "hvdetector launch", page, host.processes());
}

int launchInternalCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "launch-internal takes exactly one file name");
  HostPlatform host(context);
  PageBase page(context, host);
  auto args = textArgument(context.args[0]);
  invokeByName(page.base(), u"LaunchInternal", MemberKind::Method, args);
  page.panel().flush();
  return reportLaunch(context, "hvdetector launch-internal", page, host.processes());
}

}  // namespace hv
