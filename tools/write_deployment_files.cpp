// Writes the files that deploy the Windows module besides the module itself: the cabinet's INF
// and the installer's registry rows.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/deployment_files.h"

namespace {

bool writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out)
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const bool ok = writeText(folder / "CorvantisHalverineDetector.inf", hv::cabinetInf()) &&
                  writeText(folder / "registration.wxi", hv::installerRegistryInclude());
  return ok ? 0 : 1;
}
