// `hvdetector launch URL` and `hvdetector launch-internal NAME`: a page's Base opening a document
// with the application registered for its type.
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "control/dispatch.h"
#include "download/download_naming.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/flow_command.h"
#include "host/page_base.h"
#include "host/worker_outcome.h"
#include "orchestrate/document_command.h"
#include "posix/composition/posix_platform.h"
#include "posix/posix_code_page.h"
#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// Why the flow started nothing without a box to say so: the document it would not hand to a
// program (`document`, the folder and name, when it got that far), or the URL it could not use.
std::string silentRefusal(const std::optional<std::pair<Text, Text>>& document, TextView url) {
  if (document) {
    const auto& [folder, name] = *document;
    if (const auto why = fileNameRefusal(name))
      return ": the name " + toUtf8(printableExcerpt(name)) + " " + toUtf8(*why);
    if (const auto why = documentPathRefusal(folder + name))
      return ": the document's path " + toUtf8(printableExcerpt(folder + name)) + " " +
             toUtf8(*why);
    return {};
  }
  if (const auto trouble = urlTrouble(url))
    return ": " + trouble->words;
  return {};
}

// The page learns nothing of what the flow started, so the host tells from the starts it saw:
// the command line of the program that runs now, or why there is none. `document` is the file
// the flow was to open, when it got that far; `url` what the flow was given to fetch, if any.
int reportLaunch(CommandContext& context, std::string_view who, const PageBase& page,
                 const ObservedProcesses& processes,
                 const std::optional<std::pair<Text, Text>>& document, TextView url) {
  const auto& starts = processes.starts();
  if (page.boxesShown() > 0 || starts.empty()) {
    const std::string why = page.boxesShown() == 0 ? silentRefusal(document, url) : "";
    context.err << who << ": nothing was started" << why << "\n";
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
    context.err << who << ": could not start " << toUtf8(printableExcerpt(last.commandLine))
                << ": error " << last.failure->number() << ": "
                << printableText(last.failure->description()) << "\n";
    return kExitFlowFailure;
  }
  context.out << toAnsi(last.commandLine, kPosixCodePage) << "\n";
  return kExitSuccess;
}

int launch(FlowSetting& flow, const Text& url) {
  PageBase& page = *flow.page;

  const std::size_t loaded = page.base().inetDownloaders().size();
  std::array<Variant, 1> args{Variant(url)};
  invokeByName(page.base(), u"LAUNCH", MemberKind::Method, args);
  // LAUNCH shows or drops its own failures; no new worker means it stopped before the download.
  std::optional<std::pair<Text, Text>> document;
  if (const auto outcome = listenToNewWorker(page.base(), loaded)) {
    const auto flush = [&] { page.panel().flush(); };
    if (!flow.run.awaitOutcome(
            flow.host.loop(), [&] { return outcome->ended(); }, flush))
      return kExitFlowFailure;
    if (outcome->completed) {
      document.emplace(GetTempFolder(flow.host.platform().tempFolder),
                       page.base().inetDownloaders().back()->RemoteFileToDownload().toText());
    }
  }
  page.panel().flush();
  return reportLaunch(flow.context, flow.who, page, flow.host.processes(), document, url);
}

}  // namespace

int launchCommand(CommandContext& context) {
  return runOnUrl(context, "launch", FlowDriver::PageBase, launch);
}

int launchInternalCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "launch-internal takes exactly one file name");
  PosixPlatform host(context.options, context.err);
  PageBase page(context, host);
  std::array<Variant, 1> args{Variant(fromAnsi(context.args[0], kPosixCodePage))};
  invokeByName(page.base(), u"LaunchInternal", MemberKind::Method, args);
  page.panel().flush();
  // Before any download the folder is not known: the name stands for the whole path.
  return reportLaunch(context, "hvdetector launch-internal", page, host.processes(),
                      std::pair(Text(), args[0].toText()), {});
}

}  // namespace hv
