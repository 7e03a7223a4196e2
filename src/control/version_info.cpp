#include "control/library_identity.h"
#include "control/resources.h"

namespace hv {

const VersionInfo& versionInfo() {
  static const VersionInfo info{
      .fileVersion = {1, 4, 0, 8},
      .productVersion = {1, 4, 0, 8},
      .language = 0x0409,
      .codePage = 0x04B0,
      .fileOs = 0x4,
      .fileType = 0x2,
      .fileFlags = 0,
      .fields =
          {
              {"FileDescription", "Corvantis Halverine Detector Control for Internet Explorer"},
              {"FileVersion", library::kModuleVersion},
              {"ProductVersion", library::kModuleVersion},
              {"InternalName", library::kModuleBaseName},
              {"OriginalFilename", "CorvantisHalverineDetector.ocx"},
              {"OLESelfRegister", ""},
          },
  };
  return info;
}

}  // namespace hv
