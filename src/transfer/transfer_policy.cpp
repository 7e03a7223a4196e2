#include "transfer/transfer_policy.h"

#include <algorithm>

#include "runtime/library_errors.h"
#include "runtime/numeric_conversion.h"
#include "runtime/text_encoding.h"
#include "transfer/transfer_rules.h"
#include "transfer/transfer_schemes.h"

namespace hv {

ScriptError brokenBodyError(std::int32_t code, TextView info) {
  return ScriptError(kTransferFailure, u"", numberToText(code) + u" " + Text(info));
}

void TransferPolicy::Execute(TextView url) {
  if (!hasTransferScheme(toUtf8(url)))
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  Cancel();
  phase_ = Phase::kRequesting;
  forgetHead();
  startRequest(url);
}

void TransferPolicy::Cancel() {
  stopRequest();
  phase_ = Phase::kIdle;
  bodyFailure_.reset();
}

std::vector<std::uint8_t> TransferPolicy::GetChunk(std::int16_t size, std::int32_t) {
  const auto alive = alive_;
  const auto wanted = static_cast<std::size_t>(std::max<std::int16_t>(size, 0));
  while (phase_ == Phase::kResponded && !bodyReady(wanted)) {
    waitForBody();
    if (!*alive)
      return {};
  }
  if (phase_ != Phase::kResponded || size <= 0)
    return {};
  std::vector<std::uint8_t> chunk = takeBody(wanted);
  if (chunk.empty() && bodyFailure_) {
    code_ = bodyFailure_->code;
    responseInfo_ = fromAnsi(bodyFailure_->info);
    throw brokenBodyError(code_.value(), responseInfo_);
  }
  return chunk;
}

void TransferPolicy::forgetHead() {
  status_ = 0;
  reason_.clear();
  headers_.clear();
}

void TransferPolicy::respond() {
  phase_ = Phase::kResponded;
  code_ = TransferCode::serverStatus(status_);
  responseInfo_ = fromAnsi(serverText(reason_));
  notify(kResponseCompleted);
}

void TransferPolicy::fail(TransferFailure failure) {
  phase_ = Phase::kFailed;
  code_ = failure.code;
  responseInfo_ = fromAnsi(failure.info);
  notify(kTransferFailed);
}

void TransferPolicy::failBody(TransferFailure failure) {
  bodyFailure_ = std::move(failure);
}

void TransferPolicy::deliver(std::int16_t state) {
  const StateHandler handler = handler_;
  if (handler)
    handler(state);
}

}  // namespace hv
