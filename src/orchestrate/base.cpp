#include "orchestrate/base.h"

#include "control/library_classes.h"
#include "control/module_state.h"
#include "download/site_domain.h"

namespace hv {

Base::Base(Platform& platform, const CreationContext& context)
    : ControlObject(baseClass()), platform_(platform), context_(context) {
  createChildren();
  UserControl_Initialize();
}

Base::~Base() {
  UserControl_Terminate();
}

void Base::UserControl_Initialize() {
  downloadLocationUrl = defaultInstallerUrl();
  threadModuleState().logLevel = kLogLevelUnread;
}

void Base::UserControl_Terminate() {
  if (!objInetDownloader)
    return;
  objInetDownloader->Cancel();
  objInetDownloader.reset();
}

Variant Base::invokeMember(const MemberInfo& member, std::span<Variant> args) {
  using namespace base_dispid;
  switch (member.id) {
    case kDownloadLocation:
      DownloadLocation(args[0].text());
      return {};
    case kHasCvxMime:
      return Variant::boolean(HasCvxMime());
    case kHasCvtMime:
      return Variant::boolean(HasCvtMime());
    case kHasParticipantHalverine:
      return Variant::boolean(HasParticipantHalverine());
    case kHasSupervisorHV:
      return Variant::boolean(HasSupervisorHV());
    case kHasIEAutoOpen:
      return Variant::boolean(HasIEAutoOpen());
    case kLAUNCH:
      return LAUNCH(args[0].text());
    case kLaunchInternal:
      return LaunchInternal(args[0].text());
    case kGetRemoteFile:
      return getRemoteFile(args[0]);
    case kINSTALL:
      return INSTALL();
    case kDownloadInternal:
      return DownloadInternal(args[0].text(), args[1].text());
    case kDownload:
      return Download(args[0].text(), args[1].text());
  }
  throwNotImplemented(classInfo(), member);
}

HResult Base::IObjectSafety_GetInterfaceSafetyOptions(const Guid* riid,
                                                      std::uint32_t* pdwSupportedOptions,
                                                      std::uint32_t* pdwEnabledOptions) {
  return getInterfaceSafetyOptions(riid, pdwSupportedOptions, pdwEnabledOptions);
}

HResult Base::IObjectSafety_SetInterfaceSafetyOptions(const Guid* riid,
                                                      std::uint32_t dwOptionSetMask,
                                                      std::uint32_t dwEnabledOptions) {
  return setInterfaceSafetyOptions(riid, dwOptionSetMask, dwEnabledOptions);
}

}  // namespace hv
