#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "transfer/body_buffer.h"
#include "transfer/response_headers.h"
#include "transfer/transfer_code.h"
#include "transfer/transfer_rules.h"

namespace hv {

// What the head of the response said, or why there is none.
struct TransferHead {
  long status = 0;
  std::string reason;  // ANSI
  ResponseHeaders headers;
  std::optional<TransferFailure> failure;
};

// What a job is asked to do, and where it reports.
struct TransferOrder {
  std::wstring url;
  std::int32_t timeoutSeconds;
  RedirectPermission redirectAllowed;
  HWND notices;
  WPARAM key;
  LPARAM serial;
};

// One request on a worker thread of its own, in blocking WinINet calls: the redirects, the head,
// then the body into a bounded buffer. The worker posts one notice when the head is judged; the
// body's arrival is signalled through an event the reader waits on while it pumps.
//
// The transfer and the worker each hold a reference. A transfer that lets go early (a cancel, a
// release) leaves the worker to notice at its next chance: a blocked WinINet call cannot be
// interrupted everywhere, so the worker ends when the server next speaks or its silence runs into
// the receive time-out, closing its own handles. It holds a reference to the module meanwhile,
// so the module is never unloaded under it.
class TransferJob {
 public:
  // Returns the caller's reference. When no worker can be started, the head tells why and the
  // notice is posted all the same.
  static TransferJob* start(TransferOrder order);
  void release();

  // The worker stops at its next chance and posts nothing more.
  void abandon();

  // Valid once the notice has arrived.
  TransferHead head();

  // Signalled whenever bytes, the end or a failure arrive.
  HANDLE arrival() const { return arrival_; }
  // Whether `count` bytes are buffered or the body has ended.
  bool canHandOut(std::size_t count);
  // Up to `count` bytes; none and the failure once a failed body is drained.
  std::vector<std::uint8_t> take(std::size_t count, std::optional<TransferFailure>& failure);

 private:
  explicit TransferJob(TransferOrder order);
  ~TransferJob();
  static DWORD WINAPI threadMain(void* self);

  struct Hop;
  struct Redirect {
    long status;
    std::string reason;
    std::string location;
  };

  void run();
  std::optional<TransferFailure> open(const std::wstring& url, Hop& hop);
  std::optional<TransferFailure> exchange(Hop& hop, std::optional<Redirect>& redirect);
  std::optional<TransferFailure> follow(const Redirect& redirect, int count, std::wstring& url);
  void readBody(HINTERNET request, std::optional<std::uint64_t> expected);
  TransferFailure bodyFailure(DWORD error) const;
  void publishHead(TransferHead head);
  void endBody(std::optional<TransferFailure> failure);
  bool append(const char* data, std::size_t size);
  bool waitForRoom(bool& waited);
  bool cancelled();

  TransferOrder order_;
  std::atomic<int> references_{2};
  HMODULE module_ = nullptr;
  HANDLE arrival_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE roomMade_ = CONDITION_VARIABLE_INIT;
  // Guarded by lock_.
  bool abandoned_ = false;
  TransferHead head_;
  BodyBuffer buffer_;
  bool bodyEnded_ = false;
  std::optional<TransferFailure> bodyFailure_;
};

}  // namespace hv
