#pragma once

#include <string>
#include <vector>

namespace hv {

// The INF that a page's cabinet carries: where the module comes from (the cabinet itself), its
// class identifier and file version for the browser's version check, and that it registers
// itself once copied.
std::string cabinetInf();

// The messaging host's part of the installer's component: the program, the two browser
// manifests beside it, and each browser's key for the whole machine naming its manifest.
std::string installerMessagingHostInclude();

struct DeploymentText {
  std::string name;
  std::string text;
};
// The manifests the installer puts beside the messaging host, naming it by its file name: the
// browsers find a relative path beside the manifest, wherever the administrator installs.
std::vector<DeploymentText> installedManifests();

}  // namespace hv
