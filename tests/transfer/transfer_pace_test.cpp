#include "transfer/transfer_pace.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

using std::chrono::seconds;
using Verdict = PaceMeter::Verdict;

TEST(PaceMeter, JudgesEachWholePeriodOnItsOwn) {
  struct Row {
    std::int32_t timeout;
    std::size_t bytes;
    seconds after;
    Verdict verdict;
  };
  const Row rows[] = {
      {2, 0, seconds(1), Verdict::kPeriodRunning},  // a period not yet over
      {2, 19, seconds(2), Verdict::kTooSlow},       // under 10 bytes a second
      {2, 20, seconds(2), Verdict::kNextPeriod},    {2, 0, seconds(60), Verdict::kTooSlow},
      {0, 0, seconds(60), Verdict::kPeriodRunning},  // no time-out, no pace rule
  };
  const PaceMeter::Clock::time_point start{};
  for (const Row& row : rows) {
    PaceMeter meter(row.timeout);
    meter.restart(start);
    meter.count(row.bytes);
    EXPECT_EQ(meter.judge(start + row.after), row.verdict) << row.timeout << " " << row.bytes;
  }
}

TEST(PaceMeter, ANewPeriodStartsEmpty) {
  PaceMeter meter(1);
  meter.restart({});
  meter.count(10);
  ASSERT_EQ(meter.judge(PaceMeter::Clock::time_point{} + seconds(1)), Verdict::kNextPeriod);
  EXPECT_EQ(meter.remaining(PaceMeter::Clock::time_point{} + seconds(1)), seconds(1));
  EXPECT_EQ(meter.judge(PaceMeter::Clock::time_point{} + seconds(2)), Verdict::kTooSlow);
  EXPECT_EQ(bodyTooSlow({TransferCode::curl(28), {}, {}}, 1).info,
            "Timed out: fewer than 10 bytes a second from the server over 1 seconds");
}

}  // namespace
}  // namespace hv
