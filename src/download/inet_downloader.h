#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "control/control_object.h"
#include "platform/platform.h"

namespace hv {

// The download worker control: one HTTP download of one file into the temporary folder,
// reported through its events. Its members, `Inet1` and its state keep the names of the
// control's stored form (see the note in control/control_layout.h).
class InetDownloader : public ControlObject {
 public:
  explicit InetDownloader(Platform& platform);
  ~InetDownloader() override;

  Variant invokeMember(const MemberInfo& member, std::span<Variant> args) override;

  // Members of _InetDownloader.
  Variant RemoteFileToDownload();
  void fileType(std::int16_t& value);
  std::int32_t Download(Text& source, Text& dest);
  void Cancel();
  void OpenFile();
  void ReadBinaryData();
  void ReadCharacterData();
  Variant getFileNameParts(Text& strFileName);

 private:
  void UserControl_Initialize();
  void UserControl_Terminate();

  // The handler of Inet1's StateChanged, its error path, and the steps of a completed response.
  void Inet1_StateChanged(std::int16_t state);
  void failTransfer(std::int32_t number, Text description);
  void discardUnfinishedFile();
  void readResponseIntoFile();
  void openLocalFile();
  void openUniqueFile(const Text& base, const Text& extension);
  void readBody();
  void copyBody(const std::function<void(std::span<const std::uint8_t>)>& writeChunk);
  void writeBinary(std::span<const std::uint8_t> chunk);
  void writeCharacters(std::span<const std::uint8_t> chunk);
  void raiseProgress();
  // The steps of the copy are the engine's while it copies: script calling one then is refused.
  void refuseDuringCopy() const;
  // Inet1 lives from the request to the final event: a finished worker keeps no connection or
  // buffer, and a further Download makes a fresh one.
  void createInet1();
  TransferControl& transfer();
  void releaseTransfer() { Inet1.reset(); }

  Platform& platform_;
  std::unique_ptr<TransferControl> Inet1;

  // Instance state, in storage order.
  Text localFolder;
  std::int32_t contentLength = 0;
  std::int32_t receivedLength = 0;
  Text fileName;
  std::int16_t fileNumber = 0;
  std::int16_t transferMode = 0;

  // The file this download made, while it does not hold the whole body: a failed or cancelled
  // download removes it, so that no file that looks complete is left behind.
  std::optional<Text> unfinishedFile_;
  // Counts the requests Download started: a copy under way stops once a later request has taken
  // the instance over from inside one of its events or pumps.
  std::uint32_t request_ = 0;
  int copiesUnderWay_ = 0;
};

}  // namespace hv
