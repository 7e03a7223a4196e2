// The real process port: what runs, with which words, how its end is reported, and that nothing
// is left behind or polled for.
#include "posix/posix_processes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <future>

#include "runtime/text_encoding.h"
#include "support/errors.h"
#include "support/recording_fifo.h"

namespace hv {
namespace {

using testing::kRecordingProgram;
using testing::RecordingFifo;
using testing::ScopedEnv;

Text line(const std::string& utf8) {
  return fromUtf8(utf8);
}

Text quoted(const std::string& path) {
  return line("\"" + path + "\"");
}

ProgramCall program(const std::string& path, std::vector<Text> arguments = {}) {
  return {line(path), std::move(arguments)};
}

struct EndCase {
  const char* name;
  const char* exit;
  ProcessOutcome::Kind kind;
  std::uint32_t code;
};

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << c.name;
}

class ProcessEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(ProcessEnd, WaitReportsHowTheProgramEnded) {
  ScopedEnv exit("HVDETECTOR_EXIT", GetParam().exit);
  PosixProcesses processes;
  const ProcessOutcome outcome =
      processes.startAndWait(program(kRecordingProgram), WindowStyle::Hidden);
  EXPECT_EQ(outcome.kind, GetParam().kind);
  EXPECT_EQ(outcome.code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, ProcessEnd,
    ::testing::Values(EndCase{"Success", "0", ProcessOutcome::Kind::Exited, 0},
                      EndCase{"Failure", "1", ProcessOutcome::Kind::Exited, 1},
                      EndCase{"HighestStatus", "255", ProcessOutcome::Kind::Exited, 255},
                      EndCase{"StatusBeyondEightBitsIsCutByTheSystem", "3010",
                              ProcessOutcome::Kind::Exited, 3010 % 256},
                      EndCase{"Killed", "signal", ProcessOutcome::Kind::Signalled, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PosixProcesses, ArgumentsArriveAsTheCRuntimeSplitsThemWithNoShellBetween) {
  RecordingFifo record;
  PosixProcesses processes;
  processes.start(quoted(kRecordingProgram) + line(R"( "a b" $(id) ; `x` | & \"q\" "c\\" --opt)"),
                  WindowStyle::NormalFocus);
  const auto seen = record.await();
  ASSERT_TRUE(seen);
  EXPECT_THAT(seen->argv, ::testing::ElementsAre(kRecordingProgram, "a b", "$(id)", ";", "`x`", "|",
                                                 "&", "\"q\"", "c\\", "--opt"));
}

TEST(PosixProcesses, NameWithoutSlashIsLookedUpOnThePath) {
  const std::filesystem::path program(kRecordingProgram);
  ScopedEnv path("PATH", program.parent_path().string());
  RecordingFifo record;
  PosixProcesses processes;
  processes.start(line(program.filename().string() + " x"), WindowStyle::NormalFocus);
  const auto seen = record.await();
  ASSERT_TRUE(seen);
  EXPECT_THAT(seen->argv, ::testing::ElementsAre(program.filename().string(), "x"));
}

struct StartFailureCase {
  const char* name;
  std::function<std::string(const testing::TempDir&)> commandLine;
  std::int32_t error;
  // A waited-for program is named by its exact path: the line is that path, never read as words.
  std::int32_t errorAsAPath;
};

void PrintTo(const StartFailureCase& c, std::ostream* os) {
  *os << c.name;
}

class StartFailure : public ::testing::TestWithParam<StartFailureCase> {};

// Every way of starting reports the runtime error for the cause and leaves nothing running.
TEST_P(StartFailure, IsTheRuntimesErrorForTheCause) {
  testing::TempDir dir;
  testing::writeFile(dir / "plain", "#!/bin/sh\n");
  ::chmod((dir / "plain").c_str(), 0600);
  testing::writeFile(dir / "garbage", "\x7f\x01\x02 not a program");
  ::chmod((dir / "garbage").c_str(), 0700);
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink(kRecordingProgram, dir / "sub" / "program");
  const Text commandLine = line(GetParam().commandLine(dir));
  ScopedEnv path("PATH", dir.path().string());
  PosixProcesses processes;
  EXPECT_EQ(testing::errorNumberOf([&] { processes.start(commandLine, WindowStyle::NormalFocus); }),
            GetParam().error);
  EXPECT_EQ(testing::errorNumberOf([&] {
              processes.startAndWait({commandLine, {u"/S"}}, WindowStyle::Hidden);
            }),
            GetParam().errorAsAPath);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, StartFailure,
    ::testing::Values(
        StartFailureCase{"MissingProgram",
                         [](const testing::TempDir& d) { return (d / "missing").string(); }, 53,
                         53},
        StartFailureCase{"MissingOnThePath",
                         [](const testing::TempDir&) { return std::string("hv-no-such-program"); },
                         53, 53},
        StartFailureCase{"NameWithASlashIsNotSearched",
                         [](const testing::TempDir&) { return std::string("sub/program"); }, 53,
                         53},
        StartFailureCase{"NotExecutable",
                         [](const testing::TempDir& d) { return (d / "plain").string(); }, 70, 70},
        StartFailureCase{"Folder", [](const testing::TempDir& d) { return d.path().string(); }, 70,
                         70},
        StartFailureCase{"ThroughAFile",
                         [](const testing::TempDir& d) { return (d / "plain" / "x").string(); }, 76,
                         76},
        StartFailureCase{"NotAProgram",
                         [](const testing::TempDir& d) { return (d / "garbage").string(); }, 5, 5},
        StartFailureCase{"EmptyLine", [](const testing::TempDir&) { return std::string(); }, 5, 5},
        StartFailureCase{"BlanksOnly", [](const testing::TempDir&) { return std::string("  "); }, 5,
                         53},
        StartFailureCase{"EmptyQuotedName",
                         [](const testing::TempDir&) { return std::string("\"\" x"); }, 5, 53},
        StartFailureCase{"NulInTheLine",
                         [](const testing::TempDir& d) {
                           return (d / "garbage").string() + std::string("\0x", 2);
                         },
                         5, 52}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder holding a quote once made the line "D/q"x/install.exe" /S /P run D/q instead.
TEST(PosixProcesses, WaitedForProgramGetsItsExactPathAndArguments) {
  testing::TempDir dir;
  testing::writeFile(dir / "q", "#!/bin/sh\nexit 0\n");
  ::chmod((dir / "q").c_str(), 0700);
  std::filesystem::create_directory(dir / "q\"x");
  const auto installer = dir / "q\"x" / "install 1.exe";
  std::filesystem::copy_file(kRecordingProgram, installer);
  ScopedEnv linger("HVDETECTOR_LINGER_MS", "500");
  RecordingFifo record;
  PosixProcesses processes;
  auto outcome = std::async(std::launch::async, [&] {
    return processes.startAndWait(program(installer.string(), {u"/S", u"/P"}), WindowStyle::Hidden);
  });
  const auto seen = record.await();
  ASSERT_TRUE(seen);
  EXPECT_THAT(seen->argv, ::testing::ElementsAre(installer.string(), "/S", "/P"));
  EXPECT_EQ(::getpgid(seen->pid), seen->pid) << "a terminal's interrupt does not reach it";
  EXPECT_EQ(outcome.get().kind, ProcessOutcome::Kind::Exited);
}

TEST(PosixProcesses, StartedProgramIsReaped) {
  RecordingFifo record;
  PosixProcesses processes;
  processes.start(quoted(kRecordingProgram), WindowStyle::NormalFocus);
  const auto seen = record.await();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(testing::goneWithin(seen->pid, std::chrono::seconds(30))) << "no zombie left behind";
}

TEST(PosixProcesses, StartedProgramHasAProcessGroupOfItsOwn) {
  ScopedEnv linger("HVDETECTOR_LINGER_MS", "30000");
  RecordingFifo record;
  PosixProcesses processes;
  processes.start(quoted(kRecordingProgram), WindowStyle::NormalFocus);
  const auto seen = record.await();
  ASSERT_TRUE(seen);
  EXPECT_EQ(::getpgid(seen->pid), seen->pid);
  EXPECT_NE(::getpgid(seen->pid), ::getpgrp());
  ::kill(seen->pid, SIGKILL);
  EXPECT_TRUE(testing::goneWithin(seen->pid, std::chrono::seconds(30)));
}

// The waiting thread sleeps in the kernel: it spends no CPU time and is woken once, where a
// polling wait would wake again and again.
TEST(PosixProcesses, WaitingCostsNoCpuAndNoWakeUps) {
  ScopedEnv linger("HVDETECTOR_LINGER_MS", "500");
  PosixProcesses processes;
  rusage before{};
  ::getrusage(RUSAGE_THREAD, &before);
  const ProcessOutcome outcome =
      processes.startAndWait(program(kRecordingProgram), WindowStyle::Hidden);
  rusage after{};
  ::getrusage(RUSAGE_THREAD, &after);
  ASSERT_EQ(outcome.kind, ProcessOutcome::Kind::Exited);
  const auto micros = [](const timeval& t) { return t.tv_sec * 1000000L + t.tv_usec; };
  const long cpu = micros(after.ru_utime) - micros(before.ru_utime) + micros(after.ru_stime) -
                   micros(before.ru_stime);
  EXPECT_LT(cpu, 50000L) << "microseconds of CPU while a program ran for half a second";
  EXPECT_LT(after.ru_nvcsw - before.ru_nvcsw, 10L) << "voluntary wake-ups";
}

TEST(PosixProcesses, ChildThatCannotBeWaitedForIsAFailedWaitNotASuccess) {
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGCHLD, &ignore, &old);  // the system then reaps every child itself
  PosixProcesses processes;
  const ProcessOutcome outcome =
      processes.startAndWait(program(kRecordingProgram), WindowStyle::Hidden);
  ::sigaction(SIGCHLD, &old, nullptr);
  EXPECT_EQ(outcome.kind, ProcessOutcome::Kind::WaitFailed);
  EXPECT_FALSE(outcome.reason.empty());
}

struct AllowCase {
  const char* name;
  // Makes the thing at the path and says which file's mode to look at afterwards.
  std::function<std::filesystem::path(const testing::TempDir&, const std::filesystem::path&)> make;
  mode_t before;
  mode_t after;
};

void PrintTo(const AllowCase& c, std::ostream* os) {
  *os << c.name;
}

class AllowToRun : public ::testing::TestWithParam<AllowCase> {};

TEST_P(AllowToRun, GivesOnlyTheOwnerExecuteOnARegularFileReachedDirectly) {
  testing::TempDir dir;
  const auto path = dir / "install.exe";
  const auto watched = GetParam().make(dir, path);
  ::chmod(watched.c_str(), GetParam().before);
  PosixProcesses processes;
  processes.allowToRun(line(path.string()));
  struct stat info {};
  ASSERT_EQ(::stat(watched.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, AllowToRun,
    ::testing::Values(AllowCase{"DownloadedFile",
                                [](const testing::TempDir&, const std::filesystem::path& p) {
                                  testing::writeFile(p, "MZ");
                                  return p;
                                },
                                0600, 0700},
                      AllowCase{"ReadableByOthersStaysSo",
                                [](const testing::TempDir&, const std::filesystem::path& p) {
                                  testing::writeFile(p, "MZ");
                                  return p;
                                },
                                0644, 0744},
                      AllowCase{"LinkIsNotFollowed",
                                [](const testing::TempDir& d, const std::filesystem::path& p) {
                                  testing::writeFile(d / "target", "MZ");
                                  std::filesystem::create_symlink(d / "target", p);
                                  return d / "target";
                                },
                                0600, 0600},
                      AllowCase{"FifoIsLeftAndDoesNotBlock",
                                [](const testing::TempDir&, const std::filesystem::path& p) {
                                  ::mkfifo(p.c_str(), 0600);
                                  return p;
                                },
                                0600, 0600},
                      AllowCase{"FolderIsLeft",
                                [](const testing::TempDir&, const std::filesystem::path& p) {
                                  std::filesystem::create_directory(p);
                                  return p;
                                },
                                0700, 0700}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PosixProcesses, MissingFileIsLeftForTheStartToReport) {
  testing::TempDir dir;
  PosixProcesses processes;
  processes.allowToRun(line((dir / "gone.exe").string()));
  EXPECT_EQ(testing::errorNumberOf([&] {
              processes.startAndWait(program((dir / "gone.exe").string(), {u"/S", u"/P"}),
                                     WindowStyle::Hidden);
            }),
            53);
}

}  // namespace
}  // namespace hv
