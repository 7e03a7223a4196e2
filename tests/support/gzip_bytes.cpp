#include "support/gzip_bytes.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace hv::testing {

std::string gzipOfZeros(std::size_t size) {
  constexpr int kGzipWindow = 15 + 16;  // zlib's way of asking for a gzip wrapper
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindow, 9, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    throw std::runtime_error("zlib could not start");
  const std::vector<unsigned char> zeros(1 << 20);
  std::vector<unsigned char> out(1 << 16);
  std::string gzip;
  for (std::size_t left = size;;) {
    const std::size_t piece = std::min(left, zeros.size());
    stream.next_in = const_cast<unsigned char*>(zeros.data());
    stream.avail_in = static_cast<uInt>(piece);
    left -= piece;
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    int result = Z_OK;
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      result = deflate(&stream, flush);
      gzip.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
    } while (stream.avail_out == 0);
    if (result == Z_STREAM_END)
      break;
  }
  deflateEnd(&stream);
  return gzip;
}

}  // namespace hv::testing
