// `hvdetector download URL`: a page's Base asked for DownloadInternal(URL, ""), its panel live.
#include <unistd.h>

#include <array>
#include <iostream>
#include <memory>
#include <ostream>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "download/download_naming.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/host_platform.h"
#include "host/registered_control.h"
#include "host/safety_negotiation.h"
#include "host/terminal_message_box.h"
#include "host/terminal_panel.h"
#include "host/usable_environment.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "platform/posix/posix_code_page.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The host watches the worker Base binds, as a debugger would, to tell how it ended; the page
// itself hears nothing from Base.
class Outcome : public EventSink {
 public:
  void onEvent(DispId id, std::span<Variant> args) override {
    if (id == inet_downloader_dispid::kEventDownloadComplete) {
      completed = true;
    } else if (id == inet_downloader_dispid::kEventError) {
      failed = true;
      number = args[0].toInt32();
      description = args[1].toText();
    }
  }
  bool completed = false;
  bool failed = false;
  std::int32_t number = 0;
  Text description;
};

bool onTerminal(const std::ostream& err) {
  return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
}

BoxMode boxModeFor(const CommandContext& context) {
  if (context.options.boxes == "wait")
    return BoxMode::Wait;
  if (context.options.boxes == "print")
    return BoxMode::Print;
  return onTerminal(context.err) && ::isatty(STDIN_FILENO) == 1 ? BoxMode::Wait : BoxMode::Print;
}

int reportError(CommandContext& context, std::int32_t number, const Text& description) {
  context.err << "hvdetector download: error " << number << ": " << toUtf8(description) << "\n";
  return kExitFlowFailure;
}

}  // namespace

int downloadCommand(CommandContext& context) {
  if (context.args.size() != 1)
    return usageError(context, "download takes exactly one URL");
  HostPlatform host(context);
  Platform& platform = host.platform();
  requireReadableStore(host.registryStore());
  requireUsableTempFolder(platform.tempFolder);
  TerminalMessageBox boxes(context.err, std::cin, boxModeFor(context));
  TerminalPanel panel(context.err, onTerminal(context.err), boxes);
  boxes.beforeShow([&panel] { panel.flush(); });

  const ClassCatalog catalog = libraryCatalog(platform);
  const RegisteredClasses classes(platform, catalog);
  const auto object =
      registeredClass(platform, catalog, baseClass().progId).createInstance({classes, panel});
  negotiateSafety(*object);
  auto& base = static_cast<Base&>(*object);

  std::array<Variant, 2> args{Variant(fromAnsi(context.args[0], kPosixCodePage)), Variant(Text())};
  try {
    invokeByName(base, u"DownloadInternal", MemberKind::Method, args);
  } catch (const ScriptError& e) {
    panel.flush();
    return reportError(context, e.number(), e.description());
  }
  const auto outcome = std::make_shared<Outcome>();
  auto& worker = *base.inetDownloaders().back();
  worker.findConnectionPoint(worker.classInfo().eventInterface.current.iid)->advise(outcome);
  host.loop().runUntil([&] { return outcome->completed || outcome->failed; });
  panel.flush();
  if (outcome->failed)
    return reportError(context, outcome->number, outcome->description);
  context.out << toAnsi(GetTempFolder(platform.tempFolder) + worker.RemoteFileToDownload().toText(),
                        kPosixCodePage)
              << "\n";
  return kExitSuccess;
}

}  // namespace hv
