// Writes the browser extension's icons, drawn from Base's banner, as FOLDER/icon-SIZE.png for
// each SIZE the browsers and the stores ask for.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tools/banner/extension_icon.h"
#include "tools/banner/png_encoder.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 1024) {
      std::fprintf(stderr, "%s: not an icon size\n", argv[i]);
      return 2;
    }
    const auto png = hv::banner::encodePng(hv::banner::extensionIcon(size));
    const std::string file = std::string(argv[1]) + "/icon-" + argv[i] + ".png";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
