#include "win32/win32_transfers.h"

#include <windows.h>

#include <memory>

#include "transfer/transfer_pace.h"
#include "transfer/transfer_policy.h"
#include "win32/win32_internet_errors.h"
#include "win32/win32_transfer_hooks.h"
#include "win32/win32_transfer_job.h"
#include "win32/win32_transfer_notices.h"
#include "win32/win32_window_messages.h"

namespace hv {
namespace {

// How long GetChunk sleeps at most between looks at its request while nothing arrives.
constexpr DWORD kWaitSliceMillis = 1000;

struct JobReleaser {
  void operator()(TransferJob* job) const {
    job->abandon();
    job->release();
  }
};
using JobReference = std::unique_ptr<TransferJob, JobReleaser>;

// The transfer as its owner's thread sees it: every call and every notification on that thread.
class Win32Transfer : public TransferPolicy, private NoticeReceiver {
 public:
  explicit Win32Transfer(const Win32TransferSettings& settings)
      : settings_(settings), notices_(TransferNotices::ofThisThread()), key_(notices_.add(*this)) {}
  ~Win32Transfer() override {
    Cancel();
    notices_.remove(key_);
  }
  Win32Transfer(const Win32Transfer&) = delete;
  Win32Transfer& operator=(const Win32Transfer&) = delete;

 private:
  void startRequest(TextView url) override;
  void stopRequest() override;
  bool bodyReady(std::size_t count) override { return !job_ || job_->canHandOut(count); }
  void waitForBody() override;
  std::vector<std::uint8_t> takeBody(std::size_t count) override;
  void notify(std::int16_t state) override { deliver(state); }

  void onNotice(LPARAM serial) override;
  void onTimer() override;
  void failRequest(TransferFailure failure);

  const Win32TransferSettings& settings_;
  TransferNotices& notices_;
  const WPARAM key_;
  JobReference job_;
  // A notice names the request it was posted for; one for an earlier request finds another.
  LPARAM serial_ = 0;
  std::int32_t requestSeconds_ = 0;
};

void Win32Transfer::startRequest(TextView url) {
  requestSeconds_ = requestTimeoutFor(timeoutSeconds_);
  job_.reset(TransferJob::start({std::wstring(url.begin(), url.end()), requestSeconds_,
                                 settings_.redirectAllowed, notices_.window(), key_, ++serial_}));
  // The whole head must arrive within the time-out, however the server paces it.
  if (requestSeconds_ > 0)
    notices_.startTimer(key_, static_cast<std::uint32_t>(requestSeconds_) * 1000);
}

void Win32Transfer::stopRequest() {
  ++serial_;
  notices_.stopTimer(key_);
  job_.reset();
}

void Win32Transfer::waitForBody() {
  const HANDLE arrival = job_->arrival();
  MsgWaitForMultipleObjectsEx(1, &arrival, kWaitSliceMillis, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  Win32MessagePump().pumpOnce();
}

std::vector<std::uint8_t> Win32Transfer::takeBody(std::size_t count) {
  if (!job_)
    return {};
  std::optional<TransferFailure> failure;
  std::vector<std::uint8_t> chunk = job_->take(count, failure);
  if (failure)
    failBody(std::move(*failure));
  return chunk;
}

void Win32Transfer::onNotice(LPARAM serial) {
  if (serial != serial_ || phase() != Phase::kRequesting || !job_)
    return;
  notices_.stopTimer(key_);
  TransferHead head = job_->head();
  if (head.failure) {
    failRequest(std::move(*head.failure));
    return;
  }
  status_ = head.status;
  reason_ = std::move(head.reason);
  headers_ = std::move(head.headers);
  respond();
}

void Win32Transfer::onTimer() {
  if (phase() == Phase::kRequesting)
    failRequest(headTimedOut(kWinInetCodes, requestSeconds_));
}

// The job has nothing more to say.
void Win32Transfer::failRequest(TransferFailure failure) {
  job_.reset();
  fail(std::move(failure));
}

}  // namespace

std::unique_ptr<TransferControl> Win32Transfers::createTransferControl() {
  return std::make_unique<Win32Transfer>(settings_);
}

}  // namespace hv
