#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "control/class_factory.h"
#include "control/control_object.h"
#include "control/label.h"
#include "control/object_safety.h"
#include "control/progress_bar.h"
#include "download/inet_downloader.h"
#include "orchestrate/downloader_binding.h"
#include "platform/platform.h"

namespace hv {

// The control pages embed: detection, launch, install and download of the vendor's application.
//
// Its members, children, handlers and private state keep the names of the control's stored form
// (see the note in control/control_layout.h); what the library adds of its own (the platform, the
// factory, the installer's worker) has a trailing underscore.
class Base : public ControlObject, public ObjectSafety {
 public:
  // Creates the children of the stored layout, the downloader among them through
  // `context.classes`, then runs the initialisation step.
  Base(Platform& platform, const CreationContext& context);
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

  // What the host and tests may look at; page script sees none of it.
  std::int32_t lastDownloadStatus() const { return downloadStatus; }
  bool installing() const { return installInProgress != kScriptFalse; }
  std::int16_t loadedIndex() const { return controlIndex; }
  const InetDownloader* boundDownloader() const { return objInetDownloader.get(); }
  const Label& statusLabel() const { return *lblDownload; }

 private:
  void createChildren();
  void UserControl_Initialize();
  void UserControl_Terminate();

  // The handlers of the bound downloader's events.
  void onBoundEvent(DispId id, std::span<Variant> args);
  void objInetDownloader_Progress(std::int32_t& BytesReceived, std::int32_t& bytesRemaining);
  void objInetDownloader_DownloadComplete();
  void objInetDownloader_Error(std::int32_t& errCode, Text& errMsg);
  Variant InstallInternal(Text& remoteFile);

  std::shared_ptr<InetDownloader> loadInetDownloader();
  void setProgressBar(DispId property, float value);
  MessageBoxPort& messageBox() { return context_.ui.messageBox(); }

  Platform& platform_;
  CreationContext context_;
  const ClassFactory* inetDownloaderFactory_ = nullptr;

  // What a completed download leads to (downloadMode), as the stored form numbers it.
  static constexpr std::int32_t kInstallMode = 1;
  static constexpr std::int32_t kLaunchMode = 2;
  static constexpr std::int32_t kNoFollowUp = 3;

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
  DownloaderBinding objInetDownloader{
      [this](DispId id, std::span<Variant> args) { onBoundEvent(id, args); }};
  // The worker INSTALL started last: only the file it fetches may be made runnable. Elements
  // are never unloaded, so the address stays its own.
  const InetDownloader* installerDownload_ = nullptr;
  // Where that worker fetched the installer from: its signature lies beside it, whatever page
  // script has written to DownloadLocation since.
  Text installerUrl_;

  // Children, in their stored order.
  std::vector<std::shared_ptr<InetDownloader>> InetDownloader1;
  std::shared_ptr<ProgressBar> prgDownload;
  std::unique_ptr<TransferControl> Inet1;
  std::unique_ptr<Label> lblMessage;
  std::unique_ptr<ImagePort> Image1;
  std::unique_ptr<ShapePort> Shape1;
  std::unique_ptr<Label> lblDownload;
};

}  // namespace hv
