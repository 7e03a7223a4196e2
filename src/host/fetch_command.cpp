// `hvdetector fetch URL`: one InetDownloader driven the way a page drives one on its own.
#include <unistd.h>

#include <array>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "download/download_naming.h"
#include "download/inet_downloader.h"
#include "host/exit_status.h"
#include "host/flow_command.h"
#include "host/terminal_width.h"
#include "host/worker_outcome.h"
#include "posix/posix_code_page.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The downloader's progress as a live line on the terminal, ended by either final event.
class ProgressLine : public EventSink {
 public:
  ProgressLine(std::ostream& err, bool live) : err_(err), live_(live) {}

  void onEvent(DispId id, std::span<Variant> args) override {
    if (id == inet_downloader_dispid::kEventProgress)
      showProgress(args[0].toInt32(), args[1].toInt32());
    else
      end();
  }

  // Ends a drawn line, so that what comes next starts a line of its own.
  void end() {
    if (shownPercent_ >= 0)
      err_ << "\n";
    shownPercent_ = -1;
  }

 private:
  // Redrawn only when the shown percentage moves, so a terminal keeps up with a fast transfer.
  void showProgress(std::int32_t received, std::int32_t remaining) {
    if (!live_)
      return;
    const double total = static_cast<double>(received) + remaining;
    const int percent = total > 0 ? static_cast<int>(100.0 * received / total) : 100;
    if (percent == shownPercent_)
      return;
    shownPercent_ = percent;
    const std::string line = std::to_string(received) + " of " +
                             std::to_string(static_cast<long long>(total)) + " bytes (" +
                             std::to_string(percent) + "%)";
    // Cut to the width, or a narrow terminal would wrap it and the next \r would miss the start.
    err_ << "\r\x1b[2K" << fittedLine(line, terminalColumns(STDERR_FILENO)) << std::flush;
  }

  std::ostream& err_;
  bool live_;
  int shownPercent_ = -1;
};

int fetch(FlowSetting& flow, const Text& url) {
  CommandContext& context = flow.context;
  Platform& platform = flow.host.platform();
  InetDownloader downloader(platform);
  const bool live = &context.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  const auto progress = std::make_shared<ProgressLine>(context.err, live);
  downloader.findConnectionPoint(downloader.classInfo().eventInterface.current.iid)
      ->advise(progress);
  const auto outcome = listenTo(downloader);

  std::array<Variant, 2> args{Variant(url), Variant(Text())};
  try {
    invokeByName(downloader, u"Download", MemberKind::Method, args);
  } catch (const ScriptError& e) {
    return reportScriptError(context, flow.who, e, url);
  }
  const bool ended = flow.run.awaitOutcome(
      flow.host.loop(), [&] { return outcome->ended(); }, [&] { progress->end(); });
  if (!ended)
    return kExitFlowFailure;
  if (outcome->failed) {
    context.err << flow.who << ": " << outcome->failureText() << "\n";
    return kExitFlowFailure;
  }
  std::array<Variant, 0> none;
  const Variant name =
      invokeByName(downloader, u"RemoteFileToDownload", MemberKind::PropertyGet, none);
  context.out << toAnsi(GetTempFolder(platform.tempFolder) + name.toText(), kPosixCodePage) << "\n";
  return kExitSuccess;
}

}  // namespace

int fetchCommand(CommandContext& context) {
  return runOnUrl(context, "fetch", FlowDriver::Downloader, fetch);
}

}  // namespace hv
