#include "host/terminal_panel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "host/terminal_message_box.h"
#include "host/terminal_width.h"

namespace hv {
namespace {

using namespace std::chrono_literals;

// Base's faces in their stored order, on a panel whose clock the test moves.
class PanelTest : public ::testing::Test {
 protected:
  void create(bool live) {
    panel = std::make_unique<TerminalPanel>(out, live, boxes, [this] { return now; });
    bar = panel->addProgressBar({"prgDownload"});
    banner = panel->addLabel({"lblMessage"});
    status = panel->addLabel({"lblDownload"});
    bar->show(0, 100, 0);
    banner->setCaption(u"Downloading Corvantis Halverine  ");
    banner->setForeColor(0x00FFFFFF);
    status->setCaption(u"Download Progress");
  }
  std::string take() {
    std::string text = out.str();
    out.str("");
    return text;
  }

  std::chrono::steady_clock::time_point now{};
  std::ostringstream out;
  std::istringstream in;
  TerminalMessageBox boxes{out, in, BoxMode::Print};
  std::unique_ptr<TerminalPanel> panel;
  std::unique_ptr<ProgressBarPort> bar;
  std::unique_ptr<LabelPort> banner;
  std::unique_ptr<LabelPort> status;
};

constexpr char kBlock0[] =
    "\x1b[2KDownloading Corvantis Halverine\n"
    "\x1b[2KDownload Progress\n"
    "\x1b[2K[------------------------------] 0%\n";

TEST_F(PanelTest, LiveRedrawsInPlaceOnlyOnVisibleChangesAtMostTwentyTimesASecond) {
  create(true);
  EXPECT_EQ(take(), "") << "creation is drawn as one, an interval later";
  now += 60ms;
  bar->show(0, 100, 0);
  EXPECT_EQ(take(), kBlock0);
  now += 60ms;
  bar->show(0, 100, 0);
  EXPECT_EQ(take(), "") << "nothing visible changed";
  bar->show(0, 100, 41);
  EXPECT_EQ(take(),
            "\x1b[3F\x1b[2KDownloading Corvantis Halverine\n\x1b[2KDownload Progress\n"
            "\x1b[2K[############------------------] 41%\n");
  now += 10ms;
  bar->show(0, 100, 42);
  status->setForeColor(0x000000FF);
  EXPECT_EQ(take(), "") << "too soon: held back";
  panel->flush();
  EXPECT_EQ(take(),
            "\x1b[3F\x1b[2KDownloading Corvantis Halverine\n"
            "\x1b[2K\x1b[31mDownload Progress\x1b[0m\n"
            "\x1b[2K[############------------------] 42%\n");
  now += 60ms;
  bar->show(0, 100, 50);
  EXPECT_THAT(take(), ::testing::StartsWith("\x1b[2KDownloading")) << "a fresh block after flush";
}

// The flow pumps nothing while the installer runs: the label it set just before is drawn then.
TEST_F(PanelTest, AHeldBackLabelIsDrawnBeforeABlockingWait) {
  create(true);
  now += 60ms;
  bar->show(0, 100, 100);
  take();
  now += 10ms;
  status->setCaption(u"Installing......");
  EXPECT_EQ(take(), "") << "too soon: held back";
  panel->drawPending();
  EXPECT_THAT(take(), ::testing::HasSubstr("\x1b[2KInstalling......\n"));
  panel->drawPending();
  EXPECT_EQ(take(), "") << "drawn once";
}

// A line longer than the terminal would wrap, and the redraw would go back too few rows.
TEST_F(PanelTest, EveryLineFitsANarrowTerminal) {
  panel = std::make_unique<TerminalPanel>(
      out, true, boxes, [this] { return now; }, [] { return 10; });
  bar = panel->addProgressBar({"prgDownload"});
  status = panel->addLabel({"lblDownload"});
  status->setForeColor(0x000000FF);
  status->setCaption(u"Install error, and a good deal more");
  now += 60ms;
  bar->show(0, 100, 50);
  EXPECT_EQ(take(),
            "\x1b[2K\x1b[31mInstall e\x1b[0m\n"
            "\x1b[2K[########\n");
  EXPECT_EQ(fittedLine("\xc3\xbc\xc3\xbc\xc3\xbc", 3), "\xc3\xbc\xc3\xbc");
  EXPECT_EQ(fittedLine("abc", 0), "abc");
}

TEST_F(PanelTest, AGibibyteOfProgressRedrawsAFewTimesASecond) {
  create(true);
  int draws = 0;
  constexpr int kChunks = 262144;
  for (int i = 1; i <= kChunks; ++i) {
    now += 100us;  // about 40 MiB/s
    for (float value : {0.0f, 100.0f, 100.0f * i / kChunks})
      bar->show(0, 100, value);
    draws += take().empty() ? 0 : 1;
  }
  const double seconds = kChunks * 100e-6;
  EXPECT_LE(draws, seconds * 20 + 1);
  EXPECT_GE(draws, 100) << "every percent still shows";
}

TEST_F(PanelTest, PlainLinesForLabelChangesAndEveryTenthOfTheBar) {
  create(false);
  for (int percent = 0; percent <= 100; ++percent)
    bar->show(0, 100, static_cast<float>(percent));
  status->setForeColor(0x000000FF);
  status->setCaption(u"Install error");
  status->setCaption(u"Install error");
  EXPECT_EQ(take(),
            "Downloading Corvantis Halverine\n"
            "Download Progress\n"
            "[###---------------------------] 10%\n"
            "[######------------------------] 20%\n"
            "[#########---------------------] 30%\n"
            "[############------------------] 40%\n"
            "[###############---------------] 50%\n"
            "[##################------------] 60%\n"
            "[#####################---------] 70%\n"
            "[########################------] 80%\n"
            "[###########################---] 90%\n"
            "[##############################] 100%\n"
            "Download Progress (in red)\n"
            "Install error (in red)\n");
}

struct BoxCase {
  const char* name;
  BoxMode mode;
  std::optional<TextView> title;
  const char16_t* text;
  const char* shown;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
  *os << c.name;
}

class Boxes : public ::testing::TestWithParam<BoxCase> {};

TEST_P(Boxes, ShowTitleAndTextWithCrLfAsALineBreak) {
  const BoxCase& c = GetParam();
  std::ostringstream err;
  std::istringstream in("\nleft for the next box\n");
  TerminalMessageBox box(err, in, c.mode);
  int hooks = 0;
  box.beforeShow([&] { ++hooks; });
  box.showCritical(c.text, c.title);
  EXPECT_EQ(err.str(), c.shown);
  EXPECT_EQ(hooks, 1);
  if (c.mode == BoxMode::Wait) {
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, "left for the next box") << "exactly one Enter closes the box";
  }
}

INSTANTIATE_TEST_SUITE_P(Host, Boxes,
                         ::testing::Values(BoxCase{"PrintedWithoutTitle", BoxMode::Print,
                                                   std::nullopt, u"Error: -20000015 404 Not Found",
                                                   "Error: -20000015 404 Not Found\n"},
                                           BoxCase{"PrintedWithTitleAndTwoLines", BoxMode::Print,
                                                   u"Corvantis Halverine Detector",
                                                   u"Install failed.\r\nlone\rcarriage",
                                                   "Corvantis Halverine Detector\n"
                                                   "Install failed.\nlone\rcarriage\n"},
                                           BoxCase{"WaitsForEnter", BoxMode::Wait, std::nullopt,
                                                   u"Error: 11 Division by zero",
                                                   "+- hvdetector -------------------+\n"
                                                   "| (X) Error: 11 Division by zero |\n"
                                                   "|             [ OK ]             |\n"
                                                   "+--------------------------------+\n"
                                                   "Press Enter to close the box."}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
