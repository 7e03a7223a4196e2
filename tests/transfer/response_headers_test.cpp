#include "transfer/response_headers.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

struct Head {
  std::vector<std::string> lines;
  std::string fault;  // the reason, empty when the body may be read
};

ResponseHeaders headersOf(const std::vector<std::string>& lines) {
  ResponseHeaders headers;
  for (const auto& line : lines)
    headers.addLine(line);
  return headers;
}

TEST(ResponseHeaders, FramingIsTrustedOnlyWhenLibcurlReadsItTheSameWay) {
  const Head cases[] = {
      {{"Content-Length: 10"}, ""},
      {{"Content-Length: 10", "content-length: 010"}, ""},
      {{"Content-Length:\t 10 "}, ""},
      {{"Content-Length: 99999999999999999999999"},
       ""},  // too large for anyone: the engine says so
      {{"Content-Length: 10", "Content-Length: 11"}, "Conflicting Content-Length values"},
      {{"Content-Length: 10, 10"}, "Invalid Content-Length: value"},
      {{"Content-Length: -1"}, "Invalid Content-Length: value"},
      {{"Content-Length: 0x10"}, "Invalid Content-Length: value"},
      {{"Transfer-Encoding: chunked"}, ""},
      {{"Transfer-Encoding: Chunked, "}, ""},
      {{"Transfer-Encoding: chunked", "Transfer-Encoding: chunked"},
       "Unsupported Transfer-Encoding: chunked, chunked"},
      {{"Transfer-Encoding: gzip", "Transfer-Encoding: chunked"},
       "Unsupported Transfer-Encoding: gzip, chunked"},
      {{"Transfer-Encoding: x-custom"}, "Unsupported Transfer-Encoding: x-custom"},
      {{"Transfer-Encoding: chunked", "Content-Length: 5"},
       "Both Content-Length and Transfer-Encoding: the body is framed two ways"},
      {{"Transfer-Encoding: \x1b[2J"}, "Unsupported Transfer-Encoding: \\x1b[2J"},
      // Not fields at all, for libcurl as for us: a blank before the colon, or a folded line.
      {{"Content-Length : 5", " Content-Length: 6", "Transfer-Encoding : gzip"}, ""},
  };
  for (const auto& c : cases) {
    const auto fault = headersOf(c.lines).framingFault();
    EXPECT_EQ(fault ? fault->reason : "", c.fault) << c.lines.front();
  }
}

TEST(ResponseHeaders, FindGivesTheFirstValueOfAProperField) {
  const ResponseHeaders headers =
      headersOf({"Content-Length : 5", "X-Empty:", "content-length: 7", "Content-Length: 8"});
  ASSERT_NE(headers.find("CONTENT-LENGTH"), nullptr);
  EXPECT_EQ(*headers.find("CONTENT-LENGTH"), "7");
  ASSERT_NE(headers.find("x-empty"), nullptr);
  EXPECT_EQ(*headers.find("x-empty"), "");
  EXPECT_EQ(headers.find("Location"), nullptr);
}

}  // namespace
}  // namespace hv
