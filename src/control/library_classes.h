#pragma once

#include "control/class_info.h"

namespace hv {

// The two control classes the library serves, with their type-library identity.
const ClassInfo& baseClass();
const ClassInfo& inetDownloaderClass();

namespace base_dispid {
inline constexpr DispId kHasSupervisorHV = 0x68030000;
inline constexpr DispId kHasParticipantHalverine = 0x68030001;
inline constexpr DispId kHasCvtMime = 0x68030002;
inline constexpr DispId kHasCvxMime = 0x68030003;
inline constexpr DispId kHasIEAutoOpen = 0x68030004;
inline constexpr DispId kDownloadLocation = 0x68030005;
inline constexpr DispId kLAUNCH = 0x60030010;
inline constexpr DispId kLaunchInternal = 0x60030011;
inline constexpr DispId kGetRemoteFile = 0x60030012;
inline constexpr DispId kINSTALL = 0x60030013;
inline constexpr DispId kDownloadInternal = 0x60030015;
inline constexpr DispId kDownload = 0x60030016;
inline constexpr DispId kEventProgress = 1;
}  // namespace base_dispid

namespace inet_downloader_dispid {
inline constexpr DispId kFileType = 0x68030000;
inline constexpr DispId kRemoteFileToDownload = 0x68030001;
inline constexpr DispId kDownload = 0x60030002;
inline constexpr DispId kCancel = 0x60030004;
inline constexpr DispId kOpenFile = 0x60030005;
inline constexpr DispId kReadBinaryData = 0x60030006;
inline constexpr DispId kReadCharacterData = 0x60030007;
inline constexpr DispId kGetFileNameParts = 0x6003000A;
inline constexpr DispId kEventProgress = 1;
inline constexpr DispId kEventDownloadComplete = 2;
inline constexpr DispId kEventError = 3;
}  // namespace inet_downloader_dispid

}  // namespace hv
