#include "orchestrate/installer_check.h"

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "download/site_domain.h"
#include "runtime/library_errors.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr std::int32_t kRequestTimeoutSeconds = 120;
constexpr std::int16_t kChunkSize = 1024;
constexpr std::int32_t kBytes = 1;

[[noreturn]] void refuse(const Text& why) {
  throw installerRefusal(why);
}

[[noreturn]] void refuseUnfetched(const Text& why) {
  refuse(u"the installer's signature could not be fetched (" + why + u")");
}

Text responseOf(TransferControl& transfer) {
  return numberToText(transfer.ResponseCode()) + u" " + transfer.ResponseInfo();
}

// The transfer reports through the host's queue. Between pumps the thread rests a moment rather
// than spin: nothing else runs on it while the installer waits for its signature.
std::int16_t awaitResponse(Platform& platform, TransferControl& transfer) {
  std::optional<std::int16_t> outcome;
  transfer.onStateChanged([&](std::int16_t state) {
    if (state == kResponseCompleted || state == kTransferFailed)
      outcome = state;
  });
  platform.messagePump.pumpOnce();
  while (!outcome) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    platform.messagePump.pumpOnce();
  }
  transfer.onStateChanged(nullptr);
  return *outcome;
}

std::string readSignature(TransferControl& transfer) {
  std::string signature;
  try {
    for (auto chunk = transfer.GetChunk(kChunkSize, kBytes); !chunk.empty();
         chunk = transfer.GetChunk(kChunkSize, kBytes)) {
      signature.append(chunk.begin(), chunk.end());
      if (signature.size() > kLargestInstallerSignature)
        refuse(u"the installer's signature is larger than 4 KiB");
    }
  } catch (const ScriptError& failure) {
    if (failure.number() != kTransferFailure)
      throw;
    refuseUnfetched(responseOf(transfer));
  }
  return signature;
}

std::string fetchSignature(Platform& platform, const Text& url) {
  const auto transfer = platform.transfers.createTransferControl();
  try {
    requireSiteDomain(url);
    transfer->RequestTimeout(kRequestTimeoutSeconds);
    transfer->Execute(url);
  } catch (const ScriptError& failure) {
    refuseUnfetched(failure.description());
  }
  if (awaitResponse(platform, *transfer) == kTransferFailed)
    refuseUnfetched(responseOf(*transfer));
  std::string signature = readSignature(*transfer);
  transfer->Cancel();
  return signature;
}

}  // namespace

std::unique_ptr<CheckedInstaller> checkFetchedInstaller(Platform& platform, const Text& path,
                                                        const Text& url) {
  try {
    const Text suffix = platform.installerTrust.detachedSignatureSuffix();
    const std::string signature =
        suffix.empty() ? std::string() : fetchSignature(platform, url + suffix);
    return platform.installerTrust.checkAndHold(path, signature);
  } catch (const ScriptError& refusal) {
    try {
      platform.files.remove(path);
    } catch (const ScriptError& failure) {
      // A file already gone is what the removal wanted; one that stays is said so.
      if (failure.number() != runtime_error::kFileNotFound) {
        throw ScriptError(refusal.number(), refusal.source(),
                          refusal.description() + u"; the fetched file could not be removed (" +
                              failure.description() + u")");
      }
    }
    throw;
  }
}

}  // namespace hv
