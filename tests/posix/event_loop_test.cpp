#include "posix/event_loop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace hv {
namespace {

using ::testing::ElementsAre;

TEST(EventLoop, PumpRunsWhatWasWaitingInOrderAndLeavesLaterPostsForTheNext) {
  EventLoop loop;
  std::string ran;
  loop.post([&] { ran += 'a'; });
  loop.post([&] {
    ran += 'b';
    loop.post([&] { ran += 'c'; });
  });
  loop.pumpOnce();
  EXPECT_EQ(ran, "ab");
  loop.pumpOnce();
  EXPECT_EQ(ran, "abc");
}

TEST(EventLoop, NestedPumpRunsEachTaskOnce) {
  EventLoop loop;
  std::string ran;
  loop.post([&] {
    ran += '1';
    loop.pumpOnce();  // as a handler pumping from inside a notification
    ran += ']';
  });
  loop.post([&] { ran += '2'; });
  loop.post([&] { ran += '3'; });
  loop.pumpOnce();
  loop.pumpOnce();
  EXPECT_EQ(ran, "123]");
}

TEST(EventLoop, TimersRunWhenDueUnlessCancelled) {
  EventLoop loop;
  std::string ran;
  loop.startTimer(std::chrono::milliseconds(0), [&] { ran += 'a'; });
  const auto cancelled = loop.startTimer(std::chrono::milliseconds(0), [&] { ran += 'x'; });
  loop.startTimer(std::chrono::hours(1), [&] { ran += 'z'; });
  loop.cancelTimer(cancelled);
  loop.pumpOnce();
  loop.pumpOnce();
  EXPECT_EQ(ran, "a");
}

TEST(EventLoop, RunUntilGivesUpAtTheDeadline) {
  EventLoop loop;
  const auto deadline = EventLoop::Clock::now() + std::chrono::milliseconds(20);
  EXPECT_FALSE(loop.runUntil([] { return false; }, deadline));
  EXPECT_GE(EventLoop::Clock::now(), deadline);
}

TEST(EventLoop, ReadySocketsReachTheirWatchEvenWhenAnotherIsDroppedOnTheWay) {
  int first[2], second[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, first), 0);
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, second), 0);
  EventLoop loop;
  std::vector<int> seen;
  loop.watch(first[0], EventLoop::kReadable, [&](unsigned ready) {
    seen.push_back(1);
    EXPECT_TRUE(ready & EventLoop::kReadable);
    char byte;
    EXPECT_EQ(::read(first[0], &byte, 1), 1);
    loop.unwatch(second[0]);
  });
  loop.watch(second[0], EventLoop::kReadable, [&](unsigned) { seen.push_back(2); });
  ASSERT_EQ(::write(first[1], "x", 1), 1);
  ASSERT_EQ(::write(second[1], "y", 1), 1);
  loop.runUntil([&] { return !seen.empty(); });
  loop.waitAndPump(std::chrono::milliseconds(0));
  EXPECT_THAT(seen, ElementsAre(1)) << "a dropped watch is not called";
  for (int fd : {first[0], first[1], second[0], second[1]})
    ::close(fd);
}

}  // namespace
}  // namespace hv
