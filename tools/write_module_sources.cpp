// Writes the sources of the Windows module's type libraries and resources into one folder, with
// the files that deploy it: the cabinet's INF, the installer's registry rows, and the messaging
// host's part of the installer with the browser manifests it installs.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/deployment_files.h"
#include "tools/resource_script.h"
#include "tools/type_library_idl.h"

namespace {

bool writeFile(const std::filesystem::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

bool writeText(const std::filesystem::path& path, const std::string& text) {
  return writeFile(path, text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  bool ok = writeText(folder / "HVDetector.idl", hv::typeLibraryIdl()) &&
            writeText(folder / "module.rc", hv::resourceScript("HVDetector.tlb")) &&
            writeText(folder / "CorvantisHalverineDetector.inf", hv::cabinetInf()) &&
            writeText(folder / "messaging-host.wxi", hv::installerMessagingHostInclude());
  for (const auto& manifest : hv::installedManifests())
    ok = ok && writeText(folder / manifest.name, manifest.text);
  for (const auto& file : hv::resourceFiles())
    ok = ok && writeFile(folder / file.name, file.bytes.data(), file.bytes.size());
  return ok ? 0 : 1;
}
