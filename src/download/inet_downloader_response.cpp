// What happens when the transfer reports back: the whole body is copied inside the
// notification, and every failure ends in one error event after the transfer and file are
// released.
#include <array>

#include "control/library_classes.h"
#include "diag/event_logging.h"
#include "download/inet_downloader.h"
#include "runtime/library_errors.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"

namespace hv {

void InetDownloader::Inet1_StateChanged(std::int16_t state) {
  const auto self = keepAlive();
  try {
    if (state == kTransferFailed) {
      throw ScriptError(kTransferFailure, u"",
                        numberToText(Inet1->ResponseCode()) + u" " + Inet1->ResponseInfo());
    }
    if (state == kResponseCompleted)
      readResponseIntoFile();
  } catch (const ScriptError& failure) {
    failTransfer(failure.number(), failure.description());
  }
}

void InetDownloader::readResponseIntoFile() {
  const std::uint32_t request = request_;
  if (contentLength == 0) {
    LogDebug(platform_, u"Received Response with status =" + Inet1->GetHeader(u"Content-Length") +
                            u" Response Code:" + numberToText(Inet1->ResponseCode()) +
                            u" Http Status " + Inet1->GetHeader(u"STATUS"));
    contentLength = textToInt32(Inet1->GetHeader(u"Content-Length"));
  }
  if (fileNumber == 0)
    openLocalFile();
  readBody();
  if (request != request_)
    return;  // the request that took over reports for itself
  platform_.files.close(fileNumber);
  // A body that ran dry early would otherwise leave the page waiting for an event that never
  // comes; the bytes that did arrive stay in the file.
  if (static_cast<std::int64_t>(contentLength) - receivedLength > 0) {
    throw ScriptError(kTransferFailure, u"",
                      u"Download incomplete: received " + numberToText(receivedLength) + u" of " +
                          numberToText(contentLength) + u" announced bytes");
  }
  unfinishedFile_.reset();
  Cancel();
  releaseTransfer();
  raiseEvent(inet_downloader_dispid::kEventDownloadComplete, {});
}

void InetDownloader::failTransfer(std::int32_t number, Text description) {
  Cancel();
  releaseTransfer();
  std::array<Variant, 2> args{Variant(number), Variant(std::move(description))};
  try {
    raiseEvent(inet_downloader_dispid::kEventError, args);
  } catch (const ScriptError&) {
    // A failing error handler has no one above it to report to.
  }
}

// Progress only tells: the counts are the engine's own, so what a handler stores into its
// arguments is not read back, and a handler that fails does not stop the body from arriving.
void InetDownloader::raiseProgress() {
  std::array<Variant, 2> args{
      Variant(receivedLength),
      Variant(toInt32(static_cast<double>(contentLength) - receivedLength))};
  try {
    raiseEvent(inet_downloader_dispid::kEventProgress, args);
  } catch (const ScriptError&) {
  }
}

}  // namespace hv
