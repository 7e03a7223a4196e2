#include "control/library_classes.h"

namespace hv {

const ClassInfo& baseClass() {
  using namespace base_dispid;
  using K = MemberKind;
  using T = VarType;
  static const ClassInfo info{
      .name = "Base",
      .clsid = Guid::of("{60246658-5626-449F-8701-66D278AD2EB2}"),
      .progId = "HVDetector.Base",
      .versionMajor = 1,
      .versionMinor = 2,
      .defaultInterface =
          {.current = {"_Base", Guid::of("{1715DE97-579C-46D9-8AF9-D4A0B934CD30}"), 1, 2},
           .earlier = {{"Base___v0", Guid::of("{980B1BB5-F017-4422-B432-8D99720B1515}"), 1, 0},
                       {"Base___v1", Guid::of("{3D2E1BFB-007C-44DF-AE43-ED11084A918B}"), 1, 1}}},
      .eventInterface =
          {.current = {"__Base", Guid::of("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"), 1, 2},
           .earlier = {{"__Base", Guid::of("{1FC3E967-0ACC-40EE-8196-A2A6D47EC838}"), 1, 0},
                       {"__Base", Guid::of("{98ADCF13-210F-429D-B39D-30FBF67FB57C}"), 1, 1}}},
      .members =
          {
              {kDownloadLocation,
               "DownloadLocation",
               K::PropertyPut,
               {{"value", T::String, false}},
               T::Empty},
              {kHasCvxMime, "HasCvxMime", K::PropertyGet, {}, T::Boolean},
              {kHasCvtMime, "HasCvtMime", K::PropertyGet, {}, T::Boolean},
              {kHasParticipantHalverine, "HasParticipantHalverine", K::PropertyGet, {}, T::Boolean},
              {kHasSupervisorHV, "HasSupervisorHV", K::PropertyGet, {}, T::Boolean},
              {kHasIEAutoOpen, "HasIEAutoOpen", K::PropertyGet, {}, T::Boolean},
              {kLAUNCH, "LAUNCH", K::Method, {{"url", T::String, true}}, T::Variant},
              {kLaunchInternal,
               "LaunchInternal",
               K::Method,
               {{"remoteFile", T::String, true}},
               T::Variant},
              {kGetRemoteFile, "getRemoteFile", K::Method, {{"url", T::Variant, true}}, T::String},
              {kINSTALL, "INSTALL", K::Method, {}, T::Variant},
              {kDownloadInternal,
               "DownloadInternal",
               K::Method,
               {{"source", T::String, true}, {"dest", T::String, true}},
               T::Long},
              {kDownload,
               "Download",
               K::Method,
               {{"source", T::String, true}, {"dest", T::String, true}},
               T::Long},
          },
      .functionTableOrder = {"HasCvxMime", "HasCvtMime", "HasParticipantHalverine",
                             "HasSupervisorHV", "HasIEAutoOpen", "DownloadLocation", "LAUNCH",
                             "LaunchInternal", "getRemoteFile", "INSTALL", "DownloadInternal",
                             "Download"},
      .events = {{kEventProgress,
                  "Progress",
                  {{"BytesReceived", T::Long, true}, {"bytesRemaining", T::Long, true}}}},
      .miscStatus = 0x20191,
      .toolboxBitmap = 30001,
      .visibleAtRunTime = true,
      .uiActivation = true,
      .objectSafety = true,
  };
  return info;
}

}  // namespace hv
