#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "runtime/library_errors.h"
#include "runtime/text.h"

namespace hv {

// The class the stored layouts name for a transfer control.
inline constexpr std::string_view kTransferControlProgId = "InetCtlsObjects.Inet";

// The states a transfer reports; every other state is progress the library ignores.
enum TransferState : std::int16_t {
  kTransferFailed = 11,
  kResponseCompleted = 12,
};

// One GET at a time over http, https or ftp. Every call runs on the thread of the message pump
// and the state notification arrives through that pump, never from inside one of these calls.
class TransferControl {
 public:
  using StateHandler = std::function<void(std::int16_t state)>;

  virtual ~TransferControl() = default;

  virtual void onStateChanged(StateHandler handler) = 0;

  // Starts the request and returns at once; a URL the control refuses outright (unsupported
  // scheme, malformed) throws a ScriptError here and no notification follows.
  virtual void Execute(TextView url) = 0;

  // Stops the request and releases its connection. Safe at any time, repeatedly, and from
  // inside a pump; afterwards GetChunk returns nothing.
  virtual void Cancel() = 0;

  // The next body bytes after state 12: `size` while that many remain, then the rest, then
  // none. Waits for the network (pumping the queue) when nothing is buffered yet. `dataType` 1
  // asks for bytes, the only type the library uses. When the connection fails after state 12,
  // the bytes that arrived are handed out first; then GetChunk throws a ScriptError numbered
  // kTransferFailure, and ResponseCode and ResponseInfo tell the failure, so that a broken body
  // is never taken for a whole one.
  virtual std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t dataType) = 0;

  // A response header's value, or empty text when absent. "STATUS" gives the status line's code
  // and reason.
  virtual Text GetHeader(TextView name) = 0;

  virtual std::int32_t ResponseCode() = 0;
  virtual Text ResponseInfo() = 0;

  // Seconds allowed for the connection and for the whole head of the response before failing
  // with state 11; after it, the body fails as timed out when it averages under 10 bytes a
  // second over such a period.
  virtual void RequestTimeout(std::int32_t seconds) = 0;
};

// Hands out one transfer control per downloader.
class TransferFactoryPort {
 public:
  virtual ~TransferFactoryPort() = default;
  virtual std::unique_ptr<TransferControl> createTransferControl() = 0;
};

}  // namespace hv
