#include "support/transfer_contract.h"

namespace hv::testing::contract {
namespace {

Reply dripped(Reply reply, std::size_t from, std::size_t bytes, int pauseMillis) {
  reply.dripFrom = from;
  reply.dripBytes = bytes;
  reply.dripPause = std::chrono::milliseconds(pauseMillis);
  return reply;
}

std::vector<Case> table() {
  const std::string whole = patternBytes(10000);
  std::vector<Case> rows = {
      {.name = "whole",
       .served = okReply(whole),
       .info = "OK",
       .headers = {{u"STATUS", u"200 OK"}, {u"content-length", u"10000"}, {u"X-Absent", u""}},
       .body = whole},
      // Announces twice what it sends, then closes.
      {.name = "cut-short",
       .served = replyWithLength(patternBytes(5000), "10000"),
       .info = "OK",
       .body = patternBytes(5000),
       .bodyFailure = Codes{18, 12030}},
      // A chunk size that is no number: the connection breaks in the middle of the body.
      {.name = "bad-chunk",
       .served = replyWithHeaders("Transfer-Encoding: chunked\r\n",
                                  chunks(patternBytes(6000), 3000) + "zz\r\n"),
       .needsSocket = true,
       .info = "OK",
       .body = patternBytes(6000),
       .bodyFailure = Codes{56, 0},
       .winInetBlind = true},
      {.name = "moved",
       .served = redirectReply("/contract/whole"),
       .needsSocket = true,
       .info = "OK",
       .body = whole},
      {.name = "not-found",
       .served = statusReply(404, "Not Found"),
       .needsSocket = true,
       .state = kTransferFailed,
       .code = both(404),
       .info = "Not Found"},
      {.name = "away",
       .served = redirectReply("http://www.elsewhere.example/dl/report.cvx"),
       .needsSocket = true,
       .state = kTransferFailed,
       .code = both(302),
       .info = "Redirect to http://www.elsewhere.example/dl/report.cvx refused: outside the "
               "permitted site"},
      {.name = "framed-twice",
       .served = replyWithHeaders("Transfer-Encoding: chunked\r\nContent-Length: 5\r\n",
                                  chunks(patternBytes(20), 10) + "0\r\n\r\n"),
       .needsSocket = true,
       .state = kTransferFailed,
       .code = {8, 12152},
       .info = "Both Content-Length and Transfer-Encoding: the body is framed two ways"},
      // The heads come slowly enough that the port is cancelled, or gone, before them.
      {.name = "cancelled-before-head",
       .served = dripped(okReply("abc"), 0, 1, 10),
       .act = Act::kCancelBeforeHead},
      {.name = "cancelled-from-pump",
       .served =
           dripped(okReply(patternBytes(8000)), headLength(okReply(patternBytes(8000))), 100, 5),
       .act = Act::kCancelFromPump,
       .needsSocket = true},
      {.name = "destroyed-in-flight",
       .served = dripped(okReply("abc"), 0, 1, 10),
       .act = Act::kDestroyInFlight},
  };
  for (const char16_t* url :
       {u"file:///etc/passwd", u"gopher://127.0.0.1/", u"", u"dict://x/", u"javascript:alert(1)"})
    rows.push_back({.name = "refused", .act = Act::kRefuse, .url = url});
  return rows;
}

}  // namespace

const std::vector<Case>& cases() {
  static const std::vector<Case> rows = table();
  return rows;
}

std::string path(const Case& c) {
  return std::string("/contract/") + c.name;
}

}  // namespace hv::testing::contract
