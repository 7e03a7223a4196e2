#include "host/worker_outcome.h"

#include "control/library_classes.h"
#include "runtime/printable_text.h"
#include "runtime/script_error.h"

namespace hv {

void WorkerOutcome::onEvent(DispId id, std::span<Variant> args) {
  if (id == inet_downloader_dispid::kEventDownloadComplete) {
    completed = true;
  } else if (id == inet_downloader_dispid::kEventError) {
    failed = true;
    number = args[0].toInt32();
    description = args[1].toText();
  }
}

std::string WorkerOutcome::failureText() const {
  // The page keeps the runtime's number for a length that cannot be read, which says nothing.
  const std::string meaning = number == runtime_error::kTypeMismatch
                                  ? " (the server did not say how long the file is)"
                                  : "";
  return "error " + std::to_string(number) + ": " + printableText(description) + meaning;
}

std::shared_ptr<WorkerOutcome> listenTo(InetDownloader& worker) {
  auto outcome = std::make_shared<WorkerOutcome>();
  worker.findConnectionPoint(worker.classInfo().eventInterface.current.iid)->advise(outcome);
  return outcome;
}

std::shared_ptr<WorkerOutcome> listenToNewWorker(const Base& base, std::size_t loadedBefore) {
  if (base.inetDownloaders().size() <= loadedBefore)
    return nullptr;
  return listenTo(*base.inetDownloaders().back());
}

}  // namespace hv
