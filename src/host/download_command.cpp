// `hvdetector download URL`: a page's Base asked for DownloadInternal(URL, ""), its panel live.
#include <array>
#include <ostream>

#include "control/dispatch.h"
#include "download/download_naming.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/flow_run.h"
#include "host/page_base.h"
#include "host/worker_outcome.h"
#include "posix/composition/posix_platform.h"
#include "posix/composition/usable_environment.h"
#include "posix/posix_code_page.h"
#include "runtime/printable_text.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

int reportError(CommandContext& context, std::int32_t number, const Text& description) {
  context.err << "hvdetector download: error " << number << ": " << printableText(description)
              << "\n";
  return kExitFlowFailure;
}

}  // namespace

int downloadCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "download takes exactly one URL");
  FlowRun run(context, "hvdetector download");
  PosixPlatform host(context.options, context.err);
  PageBase page(context, host);
  requireUsableTempFolder(host.platform().tempFolder);
  Base& base = page.base();

  const std::size_t loaded = base.inetDownloaders().size();
  std::array<Variant, 2> args{Variant(fromAnsi(context.args[0], kPosixCodePage)), Variant(Text())};
  try {
    invokeByName(base, u"DownloadInternal", MemberKind::Method, args);
  } catch (const ScriptError& e) {
    page.panel().flush();
    return reportError(context, e.number(), e.description());
  }
  const auto outcome = listenToNewWorker(base, loaded);
  const bool ended = run.awaitOutcome(
      host.loop(), [&] { return outcome->ended(); }, [&] { page.panel().flush(); });
  page.panel().flush();
  if (!ended)
    return kExitFlowFailure;
  if (outcome->failed) {
    context.err << "hvdetector download: " << outcome->failureText() << "\n";
    return kExitFlowFailure;
  }
  context.out << toAnsi(GetTempFolder(host.platform().tempFolder) +
                            base.inetDownloaders().back()->RemoteFileToDownload().toText(),
                        kPosixCodePage)
              << "\n";
  return kExitSuccess;
}

}  // namespace hv
