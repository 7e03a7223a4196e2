// Draws the banner of Base's Image1 and writes it, as a GIF in the persisted picture form, into
// the C++ source that keeps its bytes in the library. Run by hand when the artwork changes.
#include <cstdio>
#include <fstream>

#include "tools/banner/banner_artwork.h"
#include "tools/banner/gif_encoder.h"
#include "tools/banner/persisted_picture_source.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.cpp\n", argv[0]);
    return 2;
  }
  using namespace hv::banner;
  const auto gif = encodeGif89a(bannerArtwork());
  const std::string source = bannerPictureSource(persistPicture(gif));
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << source;
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: banner GIF of %zu bytes\n", argv[1], gif.size());
  return 0;
}
