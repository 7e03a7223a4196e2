#include "control/library_classes.h"

namespace hv {

const ClassInfo& inetDownloaderClass() {
  using namespace inet_downloader_dispid;
  using K = MemberKind;
  using T = VarType;
  static const ClassInfo info{
      .name = "InetDownloader",
      .clsid = Guid::of("{D4F50458-F1CC-4BC8-8A45-1A285926FE74}"),
      .progId = "HVDetector.InetDownloader",
      .versionMajor = 1,
      .versionMinor = 0,
      .defaultInterface = {.current = {"_InetDownloader",
                                       Guid::of("{F0E50D80-3E60-4D75-8304-5E7117095C46}"), 1, 0},
                           .earlier = {}},
      .eventInterface = {.current = {"__InetDownloader",
                                     Guid::of("{0A8B740E-A370-4D56-8674-0669E2AC0257}"), 1, 0},
                         .earlier = {}},
      .members =
          {
              {kRemoteFileToDownload, "RemoteFileToDownload", K::PropertyGet, {}, T::Variant},
              {kFileType, "fileType", K::PropertyPut, {{"value", T::Integer, true}}, T::Empty},
              {kDownload,
               "Download",
               K::Method,
               {{"source", T::String, true}, {"dest", T::String, true}},
               T::Long},
              {kCancel, "Cancel", K::Method, {}, T::Empty},
              {kOpenFile, "OpenFile", K::Method, {}, T::Empty},
              {kReadBinaryData, "ReadBinaryData", K::Method, {}, T::Empty},
              {kReadCharacterData, "ReadCharacterData", K::Method, {}, T::Empty},
              {kGetFileNameParts,
               "getFileNameParts",
               K::Method,
               {{"strFileName", T::String, true}},
               T::Variant},
          },
      .functionTableOrder = {"RemoteFileToDownload", "fileType", "Download", "Cancel", "OpenFile",
                             "ReadBinaryData", "ReadCharacterData", "getFileNameParts"},
      .events = {{kEventProgress,
                  "Progress",
                  {{"BytesReceived", T::Long, true}, {"bytesRemaining", T::Long, true}}},
                 {kEventDownloadComplete, "DownloadComplete", {}},
                 {kEventError, "error", {{"errCode", T::Long, true}, {"errMsg", T::String, true}}}},
      .miscStatus = 0x24591,
      .toolboxBitmap = 30000,
      .visibleAtRunTime = false,
      .uiActivation = false,
      .objectSafety = false,
  };
  return info;
}

}  // namespace hv
