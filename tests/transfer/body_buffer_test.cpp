#include "transfer/body_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/loopback_http_server.h"

namespace hv {
namespace {

// Appends and takes in uneven sizes, so the front is reclaimed and the storage grows on the way,
// and checks that the bytes come out exactly as they went in.
TEST(BodyBuffer, HandsOutEveryByteOnceInOrder) {
  const std::string source = testing::patternBytes(300000);
  BodyBuffer buffer;
  std::string out;
  std::size_t in = 0;
  const std::size_t appends[] = {16384, 1, 70000, 4095, 100000};
  const std::size_t takes[] = {4096, 3, 50000, 4096, 0};
  for (int round = 0; in < source.size(); ++round) {
    const std::size_t n = std::min(appends[round % 5], source.size() - in);
    buffer.append(source.data() + in, n);
    in += n;
    const auto taken = buffer.take(takes[round % 5]);
    out.append(taken.begin(), taken.end());
    EXPECT_EQ(buffer.size(), in - out.size());
  }
  const auto rest = buffer.take(source.size());
  out.append(rest.begin(), rest.end());
  EXPECT_EQ(out, source);
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_TRUE(buffer.take(4096).empty());
}

}  // namespace
}  // namespace hv
