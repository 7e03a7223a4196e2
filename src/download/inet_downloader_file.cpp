// The local file: a name nobody else holds, and the body copied into it chunk by chunk.
#include "diag/event_logging.h"
#include "download/download_naming.h"
#include "download/inet_downloader.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::int16_t kChunkSize = 4096;
constexpr std::int32_t kByteArray = 1;
// Names are unique only to the second; this many later seconds are tried before giving up.
constexpr int kNameAttempts = 1000;
constexpr double kOneSecond = 1000;

}  // namespace

void InetDownloader::OpenFile() {
  refuseDuringCopy();
  openLocalFile();
}

void InetDownloader::openLocalFile() {
  // Opening again would otherwise leave the first handle open with nobody holding its number.
  if (fileNumber != 0) {
    platform_.files.close(fileNumber);
    fileNumber = 0;
  }
  removeUnfinishedFile();
  fileNumber = platform_.files.freeFileNumber();
  localFolder = GetTempFolder(platform_.tempFolder);
  const Variant parts = hv::getFileNameParts(fileName);
  openUniqueFile(parts.array()[0].text(), parts.array()[1].text());
  platform_.files.seek(fileNumber, 1);
}

// Two downloads of one name within a second would share a stamp, and a file that already exists
// may be someone else's: the file is only ever created, and a taken name moves the stamp on.
void InetDownloader::openUniqueFile(const Text& base, const Text& extension) {
  double stamp = GetTimeStampMillis(platform_.clock);
  for (int attempt = 1;; ++attempt, stamp += kOneSecond) {
    fileName = timeStampedFileName(base, stamp, extension);
    requirePlainFileName(fileName);
    LogDebug(platform_, u"Saving to " + localFolder + fileName);
    try {
      platform_.files.open(fileNumber, localFolder + fileName, FileOpenMode::CreateNew);
      unfinishedFile_ = localFolder + fileName;
      return;
    } catch (const ScriptError& failure) {
      if (failure.number() != runtime_error::kFileAlreadyExists || attempt == kNameAttempts)
        throw;
    }
  }
}

void InetDownloader::ReadBinaryData() {
  refuseDuringCopy();
  copyBody([this](std::span<const std::uint8_t> chunk) { writeBinary(chunk); });
}

void InetDownloader::ReadCharacterData() {
  refuseDuringCopy();
  copyBody([this](std::span<const std::uint8_t> chunk) { writeCharacters(chunk); });
}

void InetDownloader::refuseDuringCopy() const {
  if (copiesUnderWay_ > 0)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
}

void InetDownloader::readBody() {
  copyBody([this](std::span<const std::uint8_t> chunk) {
    if (transferMode == 1)
      writeBinary(chunk);
    else
      writeCharacters(chunk);
  });
}

void InetDownloader::writeBinary(std::span<const std::uint8_t> chunk) {
  platform_.files.write(fileNumber, chunk);
}

void InetDownloader::writeCharacters(std::span<const std::uint8_t> chunk) {
  const Text text = fromAnsi({reinterpret_cast<const char*>(chunk.data()), chunk.size()});
  const std::string bytes = toAnsi(text);
  platform_.files.write(fileNumber,
                        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

// One chunk, one Progress and one pump per pass; the final empty read still pumps once. Script
// may run at every read and every pump: a Download there takes the instance over, and this copy
// stops before it touches the new request's file or counts.
void InetDownloader::copyBody(
    const std::function<void(std::span<const std::uint8_t>)>& writeChunk) {
  const std::uint32_t request = request_;
  ++copiesUnderWay_;
  const struct CopyEnds {
    int& copies;
    ~CopyEnds() { --copies; }
  } ends{copiesUnderWay_};
  for (;;) {
    // A transfer released under the loop (its request failed during a pump) has no body left.
    const std::vector<std::uint8_t> chunk =
        Inet1 ? Inet1->GetChunk(kChunkSize, kByteArray) : std::vector<std::uint8_t>();
    if (request != request_)
      return;
    receivedLength =
        toInt32(static_cast<double>(receivedLength) + static_cast<double>(chunk.size()));
    if (!chunk.empty()) {
      writeChunk(chunk);
      raiseProgress();
    }
    platform_.messagePump.pumpOnce();
    if (chunk.empty() || request != request_)
      return;
  }
}

}  // namespace hv
