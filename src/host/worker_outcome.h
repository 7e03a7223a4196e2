#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "control/connection_point.h"
#include "orchestrate/base.h"

namespace hv {

// How a download worker ended, heard as a debugger would hear it: by listening to the worker
// itself. The page hears nothing from Base, so this is the host's only way to know.
class WorkerOutcome : public EventSink {
 public:
  void onEvent(DispId id, std::span<Variant> args) override;

  bool ended() const { return completed || failed; }

  // "error N: DESCRIPTION" of a failed download for the terminal: escaped, and with what a bare
  // runtime number means here.
  std::string failureText() const;

  bool completed = false;
  bool failed = false;
  std::int32_t number = 0;
  Text description;
};

// Listens to `worker`, which must not have reported its end yet.
std::shared_ptr<WorkerOutcome> listenTo(InetDownloader& worker);

// The worker Base loaded since it held `loadedBefore` of them, listened to; none when the call
// in between loaded no worker.
std::shared_ptr<WorkerOutcome> listenToNewWorker(const Base& base, std::size_t loadedBefore);

}  // namespace hv
