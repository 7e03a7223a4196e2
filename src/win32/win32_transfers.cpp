#include "win32/win32_transfers.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/transfer_response.h"
#include "platform/transfer_rules.h"
#include "platform/transfer_schemes.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "win32/win32_message_pump.h"
#include "win32/win32_transfer_hooks.h"
#include "win32/win32_transfer_job.h"
#include "win32/win32_transfer_notices.h"

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
class Win32Transfer : public TransferResponse, private NoticeReceiver {
 public:
  explicit Win32Transfer(const Win32TransferSettings& settings)
      : settings_(settings), notices_(TransferNotices::ofThisThread()), key_(notices_.add(*this)) {}
  ~Win32Transfer() override {
    *alive_ = false;
    Cancel();
    notices_.remove(key_);
  }
  Win32Transfer(const Win32Transfer&) = delete;
  Win32Transfer& operator=(const Win32Transfer&) = delete;

  void onStateChanged(StateHandler handler) override { handler_ = std::move(handler); }
  void Execute(TextView url) override;
  void Cancel() override;
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t dataType) override;

 private:
  enum class Phase { Idle, Requesting, Responded, Failed };

  void onNotice(LPARAM serial) override;
  void onTimer() override;
  void fail(std::int32_t code, const std::string& info);
  void notify(std::int16_t state);

  const Win32TransferSettings& settings_;
  TransferNotices& notices_;
  const WPARAM key_;
  StateHandler handler_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  JobReference job_;
  // A notice names the request it was posted for; one for an earlier request finds another.
  LPARAM serial_ = 0;
  Phase phase_ = Phase::Idle;
  std::int32_t requestSeconds_ = 0;
};

void Win32Transfer::Execute(TextView url) {
  if (!hasTransferScheme(toUtf8(url)))
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  Cancel();
  phase_ = Phase::Requesting;
  status_ = 0;
  reason_.clear();
  headers_.clear();
  requestSeconds_ = requestTimeoutFor(timeoutSeconds_);
  job_.reset(TransferJob::start({std::wstring(url.begin(), url.end()), requestSeconds_,
                                 settings_.redirectAllowed, notices_.window(), key_, ++serial_}));
  // The whole head must arrive within the time-out, however the server paces it.
  if (requestSeconds_ > 0)
    notices_.startTimer(key_, static_cast<std::uint32_t>(requestSeconds_) * 1000);
}

void Win32Transfer::Cancel() {
  ++serial_;
  notices_.stopTimer(key_);
  job_.reset();
  phase_ = Phase::Idle;
}

std::vector<std::uint8_t> Win32Transfer::GetChunk(std::int16_t size, std::int32_t) {
  const auto alive = alive_;
  const auto wanted = static_cast<std::size_t>(std::max<std::int16_t>(size, 0));
  while (phase_ == Phase::Responded && job_ && !job_->canHandOut(wanted)) {
    const HANDLE arrival = job_->arrival();
    MsgWaitForMultipleObjectsEx(1, &arrival, kWaitSliceMillis, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Win32MessagePump().pumpOnce();
    if (!*alive)
      return {};
  }
  if (phase_ != Phase::Responded || !job_ || size <= 0)
    return {};
  std::optional<TransferFailure> failure;
  std::vector<std::uint8_t> chunk = job_->take(wanted, failure);
  if (failure) {
    responseCode_ = failure->code;
    responseInfo_ = fromAnsi(failure->info);
    throw ScriptError(kTransferFailure, u"", numberToText(responseCode_) + u" " + responseInfo_);
  }
  return chunk;
}

void Win32Transfer::onNotice(LPARAM serial) {
  if (serial != serial_ || phase_ != Phase::Requesting || !job_)
    return;
  notices_.stopTimer(key_);
  TransferHead head = job_->head();
  if (head.failure) {
    fail(head.failure->code, head.failure->info);
    return;
  }
  status_ = head.status;
  reason_ = std::move(head.reason);
  headers_ = std::move(head.headers);
  responseCode_ = static_cast<std::int32_t>(status_);
  responseInfo_ = fromAnsi(serverText(reason_));
  phase_ = Phase::Responded;
  notify(kResponseCompleted);
}

void Win32Transfer::onTimer() {
  if (phase_ != Phase::Requesting)
    return;
  fail(static_cast<std::int32_t>(ERROR_INTERNET_TIMEOUT),
       "Timed out: no response from the server within " + std::to_string(requestSeconds_) +
           " seconds");
}

void Win32Transfer::fail(std::int32_t code, const std::string& info) {
  job_.reset();
  phase_ = Phase::Failed;
  responseCode_ = code;
  responseInfo_ = fromAnsi(info);
  notify(kTransferFailed);
}

// The handler may end this transfer: nothing of it is touched afterwards.
void Win32Transfer::notify(std::int16_t state) {
  const StateHandler handler = handler_;
  if (handler)
    handler(state);
}

}  // namespace

std::unique_ptr<TransferControl> Win32Transfers::createTransferControl() {
  return std::make_unique<Win32Transfer>(settings_);
}

}  // namespace hv
