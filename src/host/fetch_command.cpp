// `hvdetector fetch URL`: one InetDownloader driven the way a page drives one on its own.
#include <unistd.h>

#include <array>
#include <iostream>
#include <memory>
#include <ostream>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "download/download_naming.h"
#include "download/inet_downloader.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/host_platform.h"
#include "host/usable_environment.h"
#include "platform/posix/posix_code_page.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// Prints the downloader's events as the page's handlers would see them.
class FetchEvents : public EventSink {
 public:
  FetchEvents(std::ostream& err, bool liveProgress) : err_(err), liveProgress_(liveProgress) {}

  void onEvent(DispId id, std::span<Variant> args) override {
    namespace ids = inet_downloader_dispid;
    if (id == ids::kEventProgress) {
      showProgress(args[0].toInt32(), args[1].toInt32());
    } else if (id == ids::kEventDownloadComplete) {
      endProgressLine();
      completed = true;
    } else if (id == ids::kEventError) {
      endProgressLine();
      err_ << "hvdetector fetch: error " << args[0].toInt32() << ": " << toUtf8(args[1].toText())
           << "\n";
      failed = true;
    }
  }

  bool completed = false;
  bool failed = false;

 private:
  // Redrawn only when the shown percentage moves, so a terminal keeps up with a fast transfer.
  void showProgress(std::int32_t received, std::int32_t remaining) {
    if (!liveProgress_)
      return;
    const double total = static_cast<double>(received) + remaining;
    const int percent = total > 0 ? static_cast<int>(100.0 * received / total) : 100;
    if (percent == shownPercent_)
      return;
    shownPercent_ = percent;
    err_ << "\r" << received << " of " << static_cast<long long>(total) << " bytes (" << percent
         << "%)" << std::flush;
  }

  void endProgressLine() {
    if (shownPercent_ >= 0)
      err_ << "\n";
    shownPercent_ = -1;
  }

  std::ostream& err_;
  bool liveProgress_;
  int shownPercent_ = -1;
};

}  // namespace

int fetchCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "fetch takes exactly one URL");
  HostPlatform host(context);
  Platform& platform = host.platform();
  requireUsableTempFolder(platform.tempFolder);
  InetDownloader downloader(platform);
  const bool liveProgress = &context.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  auto events = std::make_shared<FetchEvents>(context.err, liveProgress);
  downloader.findConnectionPoint(downloader.classInfo().eventInterface.current.iid)->advise(events);

  std::array<Variant, 2> args{Variant(fromAnsi(context.args[0], kPosixCodePage)), Variant(Text())};
  try {
    invokeByName(downloader, u"Download", MemberKind::Method, args);
  } catch (const ScriptError& e) {
    context.err << "hvdetector fetch: error " << e.number() << ": " << toUtf8(e.description())
                << "\n";
    return kExitFlowFailure;
  }
  host.loop().runUntil([&] { return events->completed || events->failed; });
  if (events->failed)
    return kExitFlowFailure;
  std::array<Variant, 0> none;
  const Variant name =
      invokeByName(downloader, u"RemoteFileToDownload", MemberKind::PropertyGet, none);
  context.out << toAnsi(GetTempFolder(platform.tempFolder) + name.toText(), kPosixCodePage) << "\n";
  return kExitSuccess;
}

}  // namespace hv
