#include "host/terminal_panel.h"

#include <cmath>
#include <ostream>

#include "control/control_layout.h"
#include "host/terminal_width.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr int kBarWidth = 30;
constexpr char kRedText[] = "\x1b[31m";
constexpr char kPlainText[] = "\x1b[0m";
constexpr char kClearLine[] = "\x1b[2K";

std::string withoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

std::string barLine(int percent) {
  const int filled = percent * kBarWidth / 100;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] " +
         std::to_string(percent) + "%";
}

class Unshown : public ImagePort, public ShapePort {
 public:
  void setPicture(std::span<const std::uint8_t>) override {}
  void setStyle(std::uint8_t, std::int16_t) override {}
};

}  // namespace

class TerminalPanel::Label : public LabelPort {
 public:
  Label(TerminalPanel& panel, std::size_t index) : panel_(panel), index_(index) {}

  void setCaption(TextView caption) override {
    const std::string text = withoutTrailingBlanks(toUtf8(caption));
    auto& state = panel_.labels_[index_];
    if (text == state.caption)
      return;
    state.caption = text;
    panel_.labelChanged(index_);
  }
  void setForeColor(RgbColor color) override {
    auto& state = panel_.labels_[index_];
    if ((color == kRed) == state.red)
      return;
    state.red = color == kRed;
    panel_.labelChanged(index_);
  }
  // A terminal shows neither the background nor the font.
  void setBackColor(RgbColor) override {}
  void setFont(TextView, double, bool) override {}

 private:
  TerminalPanel& panel_;
  std::size_t index_;
};

class TerminalPanel::Bar : public ProgressBarPort {
 public:
  explicit Bar(TerminalPanel& panel) : panel_(panel) {}
  void show(float min, float max, float value) override { panel_.barChanged(min, max, value); }

 private:
  TerminalPanel& panel_;
};

TerminalPanel::TerminalPanel(std::ostream& out, bool live, MessageBoxPort& boxes, Clock clock,
                             Columns columns)
    : out_(out),
      live_(live),
      boxes_(boxes),
      clock_(std::move(clock)),
      columns_(std::move(columns)),
      lastDraw_(clock_()) {}

std::unique_ptr<LabelPort> TerminalPanel::addLabel(const ChildPlacement&) {
  labels_.emplace_back();
  return std::make_unique<Label>(*this, labels_.size() - 1);
}

std::unique_ptr<ProgressBarPort> TerminalPanel::addProgressBar(const ChildPlacement&) {
  return std::make_unique<Bar>(*this);
}

std::unique_ptr<ImagePort> TerminalPanel::addImage(const ChildPlacement&) {
  return std::make_unique<Unshown>();
}

std::unique_ptr<ShapePort> TerminalPanel::addShape(const ChildPlacement&) {
  return std::make_unique<Unshown>();
}

void TerminalPanel::labelChanged(std::size_t index) {
  if (live_) {
    redraw(false);
    return;
  }
  const LabelState& label = labels_[index];
  out_ << label.caption << (label.red ? " (in red)" : "") << "\n" << std::flush;
}

// Called for every property put: most do not move what is shown and cost only a comparison.
void TerminalPanel::barChanged(float min, float max, float value) {
  const int percent =
      max > min ? static_cast<int>(std::floor((value - min) / (max - min) * 100)) : 0;
  if (hasBar_ && percent == percent_ && !pending_)
    return;
  const bool moved = !hasBar_ || percent != percent_;
  hasBar_ = true;
  percent_ = percent;
  if (live_) {
    redraw(false);
  } else if (moved && percent / 10 != plainStep_) {
    plainStep_ = percent / 10;
    out_ << barLine(percent) << "\n" << std::flush;
  }
}

void TerminalPanel::redraw(bool force) {
  const auto now = clock_();
  if (!force && now - lastDraw_ < kRedrawInterval) {
    pending_ = true;
    return;
  }
  pending_ = false;
  const std::string text = block();
  if (text == drawn_)
    return;
  writeBlock(text);
  lastDraw_ = now;
}

// Every line fits the terminal's width, so that each takes one row and the redraw in place goes
// back exactly over the block.
std::string TerminalPanel::block() const {
  const int columns = columns_();
  std::string text;
  for (const auto& label : labels_) {
    text += kClearLine;
    const std::string caption = fittedLine(label.caption, columns);
    text += label.red ? kRedText + caption + kPlainText : caption;
    text += "\n";
  }
  if (hasBar_)
    text += kClearLine + fittedLine(barLine(percent_), columns) + "\n";
  return text;
}

void TerminalPanel::writeBlock(const std::string& text) {
  if (drawnLines_ > 0)
    out_ << "\x1b[" << drawnLines_ << "F";  // back to the first line of the block
  out_ << text << std::flush;
  drawn_ = text;
  drawnLines_ = 0;
  for (char c : text)
    drawnLines_ += c == '\n' ? 1 : 0;
}

void TerminalPanel::drawPending() {
  if (live_ && pending_)
    redraw(true);
}

void TerminalPanel::flush() {
  if (!live_)
    return;
  if (pending_)
    redraw(true);
  drawn_.clear();
  drawnLines_ = 0;
}

}  // namespace hv
