// Writes the browsers' host manifests that a system-wide install ships, naming the messaging
// host where the install puts it: chromium.json (Chromium and Google Chrome) and firefox.json.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "messaging/browser_manifests.h"

namespace {

bool write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
  out.close();
  if (!out)
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER MESSAGING-HOST\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const bool ok = write(folder / "chromium.json", hv::chromiumManifest(argv[2])) &&
                  write(folder / "firefox.json", hv::firefoxManifest(argv[2]));
  return ok ? 0 : 1;
}
