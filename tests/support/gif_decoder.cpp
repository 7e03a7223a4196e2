#include "support/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace hv::testing {
namespace {

struct Source {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

int readFromSource(GifFileType* file, GifByteType* into, int wanted) {
  auto& source = *static_cast<Source*>(file->UserData);
  const std::size_t count =
      std::min(static_cast<std::size_t>(wanted), source.bytes.size() - source.at);
  std::copy_n(source.bytes.begin() + static_cast<std::ptrdiff_t>(source.at), count, into);
  source.at += count;
  return static_cast<int>(count);
}

[[noreturn]] void fail(const std::string& what, int error) {
  throw std::runtime_error(what + ": " + (GifErrorString(error) ? GifErrorString(error) : "?"));
}

}  // namespace

DecodedGif decodeGif(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 6 || std::string(bytes.begin(), bytes.begin() + 6) != "GIF89a")
    throw std::runtime_error("not a GIF89a");
  Source source{bytes};
  int error = 0;
  const auto close = [](GifFileType* file) { DGifCloseFile(file, nullptr); };
  const std::unique_ptr<GifFileType, decltype(close)> file(
      DGifOpen(&source, readFromSource, &error), close);
  if (!file)
    fail("cannot open", error);
  if (DGifSlurp(file.get()) != GIF_OK)
    fail("cannot read", file->Error);
  if (source.at != bytes.size())
    throw std::runtime_error("bytes after the trailer");
  if (file->ImageCount != 1)
    throw std::runtime_error(std::to_string(file->ImageCount) + " frames");
  const ColorMapObject* palette = file->SColorMap;
  if (palette == nullptr)
    throw std::runtime_error("no global palette");
  const SavedImage& frame = file->SavedImages[0];
  const GifImageDesc& at = frame.ImageDesc;
  if (at.Left != 0 || at.Top != 0 || at.Width != file->SWidth || at.Height != file->SHeight)
    throw std::runtime_error("the frame does not cover the screen");
  if (at.ColorMap != nullptr || at.Interlace)
    throw std::runtime_error("local palette or interlacing");

  DecodedGif gif;
  gif.width = file->SWidth;
  gif.height = file->SHeight;
  gif.paletteSize = palette->ColorCount;
  for (int i = 0; i < palette->ColorCount; ++i) {
    const GifColorType& c = palette->Colors[i];
    gif.palette.insert(gif.palette.end(), {c.Red, c.Green, c.Blue});
  }
  GraphicsControlBlock control;
  if (DGifSavedExtensionToGCB(file.get(), 0, &control) == GIF_OK &&
      control.TransparentColor != NO_TRANSPARENT_COLOR) {
    gif.transparentIndex = control.TransparentColor;
  }
  gif.indices.assign(frame.RasterBits,
                     frame.RasterBits + static_cast<std::size_t>(gif.width) * gif.height);
  return gif;
}

}  // namespace hv::testing
