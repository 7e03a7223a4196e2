// The vendor's site for the Windows module's suites under Wine, on loopback only. It prints one
// line of connect-to entries ("HOST:PORT:ADDR:PORT", separated by blanks) that map the site's
// hosts to its servers, serves fixed routes and the files its arguments name, and stops when its
// standard input closes, on SIGTERM, or after a few minutes whatever happens.
//
//   hvdetector_wine_test_site [ROUTE=FILE]...   e.g. /dl/setup.exe=build-win64/.../program.exe
//
//   www.corvantis.example      the site: documents, errors, redirects, short and dripping bodies,
//                              and the transfer contract's cases under /contract/
//   silent.corvantis.example   accepts the request and never answers
//   stall.corvantis.example    sends a head and part of the body, then falls silent
//   impostor.corvantis.example https with a certificate it signed itself (port 443)
//   any other host or port      a loopback port nobody listens on: refused at once
// A stalled connection holds its server until the site stops, so each slow host serves one
// request per run.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "support/loopback_http_server.h"
#include "support/self_signed_tls_server.h"
#include "support/transfer_contract.h"

namespace {

using hv::testing::LoopbackHttpServer;
using hv::testing::okReply;
using hv::testing::patternBytes;
using hv::testing::redirectReply;
using hv::testing::Reply;
using hv::testing::replyWithLength;

constexpr auto kHardLimit = std::chrono::minutes(10);
constexpr std::size_t kLargeFile = 3 << 20;

volatile sig_atomic_t stopRequested = 0;

void routeSite(LoopbackHttpServer& site) {
  site.route("/dl/report.cvx", okReply(patternBytes(10000)));
  site.route("/dl/page.cvx", okReply(patternBytes(12345)));
  site.route("/dl/sheet.cvx", okReply(patternBytes(23456)));
  site.route("/dl/empty.cvx", okReply(""));
  site.route("/dl/large.bin", okReply(patternBytes(kLargeFile)));
  // Labelled as compressed: the file must still be the bytes as served.
  site.route("/dl/labelled.cvx",
             hv::testing::replyWithHeaders("Content-Encoding: gzip\r\nContent-Length: 6000\r\n",
                                           patternBytes(6000)));
  site.route("/dl/moved.cvx", redirectReply("/dl/report.cvx"));
  site.route("/dl/away.cvx", redirectReply("http://www.elsewhere.example/dl/report.cvx"));
  site.route("/dl/loop.cvx", redirectReply("/dl/loop.cvx"));
  // Announces twice what it sends, then closes.
  site.route("/dl/lying.cvx", replyWithLength(patternBytes(5000), "10000"));
  // Heads that are not a whole file, a body longer than its length, one framed two ways, and a
  // reason phrase that would command a terminal.
  site.route("/dl/partial.cvx", hv::testing::statusReply(206, "Partial Content"));
  site.route("/dl/found.cvx", hv::testing::statusReply(302, "Found"));
  site.route("/dl/odd.cvx", Reply{"HTTP/1.1 099 Odd\r\nContent-Length: 3\r\n"
                                  "Connection: close\r\n\r\nabc"});
  site.route("/dl/longer.cvx", replyWithLength(patternBytes(50) + std::string(5000, 'x'), "50"));
  site.route("/dl/both.cvx", hv::testing::replyWithHeaders(
                                 "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n",
                                 hv::testing::chunks(patternBytes(20), 10) + "0\r\n\r\n"));
  site.route("/dl/shouting.cvx",
             hv::testing::statusReply(500, "\x1b]0;x\x07" + std::string(200, 'y')));
  // 8000 bytes in 100-byte drops over about two seconds: time to act in the middle of a body.
  Reply drip = okReply(patternBytes(8000));
  drip.dripFrom = hv::testing::headLength(drip);
  drip.dripBytes = 100;
  drip.dripPause = std::chrono::milliseconds(25);
  site.route("/dl/drip.cvx", drip);
  // What the client's transfer port checks are played on.
  for (const auto& c : hv::testing::contract::cases())
    site.route(hv::testing::contract::path(c), c.served);
}

// "ROUTE=FILE": the file's bytes at that route. An argument of another form, or a file that
// cannot be read, stops the site before it starts.
bool routeFile(LoopbackHttpServer& site, const std::string& argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string::npos || argument[0] != '/')
    return false;
  std::ifstream file(argument.substr(equals + 1), std::ios::binary);
  if (!file)
    return false;
  site.route(argument.substr(0, equals),
             okReply(std::string(std::istreambuf_iterator<char>(file), {})));
  return true;
}

std::string entry(const char* host, const LoopbackHttpServer& server) {
  return std::string(host) + ":80:127.0.0.1:" + std::to_string(server.port());
}

// Waits for a reason to stop: standard input at its end, SIGTERM, or the hard limit.
void waitForStop() {
  const auto deadline = std::chrono::steady_clock::now() + kHardLimit;
  while (!stopRequested && std::chrono::steady_clock::now() < deadline) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, 500) > 0) {
      char byte;
      if (::read(STDIN_FILENO, &byte, 1) <= 0)
        return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = [](int) { stopRequested = 1; };
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);

  LoopbackHttpServer site;
  LoopbackHttpServer silent;
  LoopbackHttpServer stall;
  routeSite(site);
  for (int i = 1; i < argc; ++i) {
    if (!routeFile(site, argv[i])) {
      std::fprintf(stderr, "hvdetector_wine_test_site: not a readable ROUTE=FILE: %s\n", argv[i]);
      return 2;
    }
  }
  silent.route("/dl/silent.cvx", Reply{"", 0, {}, Reply::Then::Stall});
  Reply stalled = replyWithLength(patternBytes(5000), "10000");
  stalled.then = Reply::Then::Stall;
  stall.route("/dl/stall.cvx", stalled);

  // The last entry takes every request the others do not: nothing a suite sends can reach name
  // resolution or leave loopback.
  std::uint16_t refused = 0;
  {
    LoopbackHttpServer gone;
    refused = gone.port();
  }
  hv::testing::SelfSignedTlsServer impostor;
  std::printf("%s %s %s impostor.corvantis.example:443:127.0.0.1:%u ::127.0.0.1:%u\n",
              entry("www.corvantis.example", site).c_str(),
              entry("silent.corvantis.example", silent).c_str(),
              entry("stall.corvantis.example", stall).c_str(), unsigned{impostor.port()},
              unsigned{refused});
  std::fflush(stdout);
  waitForStop();
  return 0;
}
