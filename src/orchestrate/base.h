#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "control/control_object.h"
#include "control/object_safety.h"
#include "download/inet_downloader.h"
#include "platform/platform.h"

namespace hv {

// The control pages embed: detection, launch, install and download of the vendor's application.
class Base : public ControlObject, public ObjectSafety {
 public:
  explicit Base(Platform& platform);
  ~Base() override;

  Variant invokeMember(const MemberInfo& member, std::span<Variant> args) override;

  // Members of _Base.
  void DownloadLocation(const Text& url);
  ScriptBool HasCvxMime();
  ScriptBool HasCvtMime();
  ScriptBool HasParticipantHalverine();
  ScriptBool HasSupervisorHV();
  ScriptBool HasIEAutoOpen();
  Variant LAUNCH(Text& url);
  Variant LaunchInternal(Text& remoteFile);
  Text getRemoteFile(Variant& url);
  Variant INSTALL();
  std::int32_t DownloadInternal(Text& source, Text& dest);
  std::int32_t Download(Text& source, Text& dest);

  // The install folders the last reads of HasParticipantHalverine and HasSupervisorHV found.
  const Text& participantInstallDirectory() const { return participantInstallDir; }
  const Text& supervisorInstallDirectory() const { return supervisorInstallDir; }

  // IObjectSafety: the same answers for every instance.
  HResult IObjectSafety_GetInterfaceSafetyOptions(const Guid* riid,
                                                  std::uint32_t* pdwSupportedOptions,
                                                  std::uint32_t* pdwEnabledOptions) override;
  HResult IObjectSafety_SetInterfaceSafetyOptions(const Guid* riid, std::uint32_t dwOptionSetMask,
                                                  std::uint32_t dwEnabledOptions) override;

  // The control array of download workers; element 0 comes with the layout and stays idle.
  const std::vector<std::shared_ptr<InetDownloader>>& inetDownloaders() const {
    return InetDownloader1;
  }

  // The URL INSTALL fetches from. Script can only write it (DownloadLocation); the host can read.
  const Text& installerUrl() const { return downloadLocationUrl; }

 private:
  void UserControl_Initialize();
  void UserControl_Terminate();

  Platform& platform_;

  // Instance state, in storage order.
  Text participantInstallDir;
  Text supervisorInstallDir;
  std::int32_t downloadStatus = 0;
  Text downloadLocationUrl;
  Text tempDir;
  std::int32_t downloadMode = 0;
  Text remoteFileName;
  ScriptBool installInProgress = kScriptFalse;
  std::int16_t controlIndex = 0;
  std::shared_ptr<InetDownloader> objInetDownloader;

  // Children.
  std::vector<std::shared_ptr<InetDownloader>> InetDownloader1;
};

}  // namespace hv
