// Page script may drop the control, or its last reference to a worker, from inside any event
// or pump. These run under the sanitizer build too: nothing may touch freed memory.
#include <gtest/gtest.h>

#include "control/module_state.h"
#include "runtime/script_error.h"
#include "support/base_under_test.h"
#include "support/recording_sink.h"

namespace hv {
namespace {

namespace ids = inet_downloader_dispid;

enum class Moment { ProgressPump, ErrorBox, CompletionBox };

struct BaseRelease {
  const char* name;
  Moment moment;
  const char* body;
  const char16_t* contentLength;
};

void PrintTo(const BaseRelease& c, std::ostream* os) {
  *os << c.name;
}

class ReleaseBase : public ::testing::TestWithParam<BaseRelease>,
                    protected testing::BaseUnderTest {};

TEST_P(ReleaseBase, InsideTheHandlerLeavesTheWorkerToFinishAndReleaseEverything) {
  threadModuleState().logLevel = 0;
  const BaseRelease& c = GetParam();
  download(testing::kDocumentUrl);
  testing::FakeTransfer& worker = transfer();
  const auto drop = [this] { base.reset(); };
  if (c.moment == Moment::ProgressPump)
    fake.messagePump.onPump = drop;
  else
    fake.ui.onBox = drop;
  // On completion the launch step shows its box when the document's program cannot start.
  fake.processes.failure = ScriptError(-2147467259, u"", u"the program cannot start");
  serve(c.body, c.contentLength);

  EXPECT_EQ(base, nullptr);
  EXPECT_EQ(fake.files.openCount(), 0u) << "the partial file is closed";
  EXPECT_TRUE(worker.cancelled);
  EXPECT_TRUE(worker.released);
  EXPECT_LE(fake.ui.boxes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Base, ReleaseBase,
    ::testing::Values(BaseRelease{"InProgressPump", Moment::ProgressPump, "0123456789", u"10"},
                      BaseRelease{"InPumpMidBody", Moment::ProgressPump, "0123456789", u"20"},
                      BaseRelease{"InErrorBox", Moment::ErrorBox, "0123456789", u"0"},
                      BaseRelease{"InCompletionBox", Moment::CompletionBox, "0123", u"4"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WorkerRelease {
  const char* name;
  DispId event;  // 0: in the engine's pump
  const char* body;
  const char16_t* contentLength;
};

void PrintTo(const WorkerRelease& c, std::ostream* os) {
  *os << c.name;
}

class ReleaseWorker : public ::testing::TestWithParam<WorkerRelease> {};

TEST_P(ReleaseWorker, LastReferenceDroppedInsideItsOwnEventOrPump) {
  threadModuleState().logLevel = 0;
  const WorkerRelease& c = GetParam();
  testing::FakePlatform fake;
  auto worker = std::static_pointer_cast<InetDownloader>(
      fake.classes.byClsid(inetDownloaderClass().clsid).createInstance(fake.context));
  auto sink = std::make_shared<testing::RecordingSink>();
  worker->findConnectionPoint(worker->classInfo().eventInterface.current.iid)->advise(sink);
  if (c.event == 0)
    fake.messagePump.onPump = [&] { worker.reset(); };
  else
    sink->react = [&](DispId id, std::span<Variant>) {
      if (id == c.event)
        worker.reset();
    };
  Text url = testing::kDocumentUrl, dest;
  worker->Download(url, dest);
  testing::FakeTransfer& transfer = fake.transfers.last();
  transfer.respond(c.body, c.contentLength);
  transfer.deliver(kResponseCompleted);

  EXPECT_EQ(worker, nullptr);
  EXPECT_TRUE(sink->finished()) << "the worker finished what it was doing";
  EXPECT_EQ(fake.files.openCount(), 0u);
  EXPECT_TRUE(transfer.released);
}

INSTANTIATE_TEST_SUITE_P(
    InetDownloader, ReleaseWorker,
    ::testing::Values(WorkerRelease{"InProgress", ids::kEventProgress, "0123456789", u"10"},
                      WorkerRelease{"InPump", 0, "0123456789", u"10"},
                      WorkerRelease{"InDownloadComplete", ids::kEventDownloadComplete, "01", u"2"},
                      WorkerRelease{"InError", ids::kEventError, "0123", u"9"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
