#include "host/page_base.h"

#include <unistd.h>

#include <iostream>

#include "control/library_classes.h"
#include "host/terminal_width.h"
#include "orchestrate/library_catalog.h"
#include "orchestrate/safety_negotiation.h"
#include "posix/composition/usable_environment.h"

namespace hv {
namespace {

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

}  // namespace

PageBase::PageBase(CommandContext& context, PosixPlatform& host)
    : boxes_(context.err, std::cin, boxModeFor(context)),
      panel_(context.err, onTerminal(context.err), boxes_, std::chrono::steady_clock::now,
             [] { return terminalColumns(STDERR_FILENO); }),
      catalog_(libraryCatalog(host.platform())),
      classes_(host.platform(), catalog_) {
  requireReadableStore(host.registryStore());
  boxes_.beforeShow([this] { panel_.flush(); });
  Platform& platform = host.platform();
  object_ =
      registeredClass(platform, catalog_, baseClass().progId).createInstance({classes_, panel_});
  negotiateSafety(*object_);
  base_ = &static_cast<Base&>(*object_);
}

}  // namespace hv
