// `hvdetector download URL`: a page's Base asked for DownloadInternal(URL, ""), its panel live.
#include <array>
#include <ostream>

#include "control/dispatch.h"
#include "download/download_naming.h"
#include "host/exit_status.h"
#include "host/flow_command.h"
#include "host/worker_outcome.h"
#include "posix/posix_code_page.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {

namespace {

int download(FlowSetting& flow, const Text& url) {
  CommandContext& context = flow.context;
  PageBase& page = *flow.page;
  Base& base = page.base();

  const std::size_t loaded = base.inetDownloaders().size();
  std::array<Variant, 2> args{Variant(url), Variant(Text())};
  try {
    invokeByName(base, u"DownloadInternal", MemberKind::Method, args);
  } catch (const ScriptError& e) {
    page.panel().flush();
    return reportScriptError(context, flow.who, e, url);
  }
  const auto outcome = listenToNewWorker(base, loaded);
  const bool ended = flow.run.awaitOutcome(
      flow.host.loop(), [&] { return outcome->ended(); }, [&] { page.panel().flush(); });
  page.panel().flush();
  if (!ended)
    return kExitFlowFailure;
  if (outcome->failed) {
    context.err << flow.who << ": " << outcome->failureText() << "\n";
    return kExitFlowFailure;
  }
  context.out << toAnsi(GetTempFolder(flow.host.platform().tempFolder) +
                            base.inetDownloaders().back()->RemoteFileToDownload().toText(),
                        kPosixCodePage)
              << "\n";
  return kExitSuccess;
}

}  // namespace

int downloadCommand(CommandContext& context) {
  return runOnUrl(context, "download", FlowDriver::PageBase, download);
}

}  // namespace hv
