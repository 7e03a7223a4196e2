// Every fault of a transfer, through Base over real HTTP: one error box, the download marked
// failed, nothing left hanging.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "runtime/text_encoding.h"
#include "support/loopback_site.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using namespace testing;

struct Fault {
  const char* name;
  Reply reply;
  bool closedPort;
  bool unwritableFolder;
  const char* boxStart;
};

void PrintTo(const Fault& c, std::ostream* os) {
  *os << c.name;
}

Reply cutShort(Reply::Then then) {
  Reply reply = replyWithLength(patternBytes(5000), "10000");
  reply.then = then;
  return reply;
}

class BaseOverHttp : public ::testing::TestWithParam<Fault> {
 protected:
  LoopbackSite site{GetParam().closedPort};
  TempDir dir;
  FakeUiSite ui;
  ClassCatalog classes = libraryCatalog(site.platform);
};

TEST_P(BaseOverHttp, FaultEndsInExactlyOneErrorBox) {
  threadModuleState().logLevel = 0;
  site.tempFolder.path = dir.slashed() + (GetParam().unwritableFolder ? "missing/" : "");
  site.server.route("/dl/report.cvx", GetParam().reply);
  Base base(site.platform, {classes, ui});
  Text url = u"http://www.corvantis.example/dl/report.cvx", dest;
  base.DownloadInternal(url, dest);
  const bool ended =
      site.network.loop.runUntil([&] { return base.lastDownloadStatus() != 0; },
                                 std::chrono::steady_clock::now() + std::chrono::seconds(20));
  for (int i = 0; i < 5; ++i)
    site.network.loop.pumpOnce();
  ASSERT_TRUE(ended) << "nothing hangs";
  EXPECT_EQ(base.lastDownloadStatus(), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_THAT(toUtf8(ui.boxes[0].text), ::testing::StartsWith(GetParam().boxStart));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BaseOverHttp,
    ::testing::Values(
        Fault{"RefusedConnection", okReply("abc"), true, false, "Error: -20000015 7 "},
        Fault{
            "SilentServer", {"", 0, {}, Reply::Then::Stall}, false, false, "Error: -20000015 28 "},
        Fault{"NotFound", statusReply(404, "Not Found"), false, false,
              "Error: -20000015 404 Not Found"},
        Fault{"ServerError", statusReply(500, "Internal Server Error"), false, false,
              "Error: -20000015 500 Internal Server Error"},
        Fault{"EarlyClose", cutShort(Reply::Then::Close), false, false, "Error: -20000015 "},
        Fault{"ResetMidBody", cutShort(Reply::Then::Reset), false, false, "Error: -20000015 "},
        Fault{"BadContentLength", replyWithLength("abc", "abc"), false, false, "Error: -20000015 "},
        Fault{"UnwritableTempFolder", okReply("abc"), false, true, "Error: 76 Path not found"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
