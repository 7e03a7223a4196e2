#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/ui_site.h"

namespace hv {

// Base's panel on the terminal: its labels in their stored order, then its progress bar with the
// percentage. On a terminal the block is redrawn in place, only when what it shows changed and
// at most every `kRedrawInterval` (the first time one interval after creation, so that the
// children's stored settings are drawn as one); a change that came too soon is drawn by the next
// one or by flush. Without a terminal it writes plain lines instead: a label's line when it
// changes, and the bar's at most at every tenth of its range. The panel never waits on anything.
class TerminalPanel : public UiSite {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // The terminal's width in columns, asked at every redraw (a terminal may be resized); 0 for
  // no limit.
  using Columns = std::function<int()>;
  static constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

  TerminalPanel(
      std::ostream& out, bool live, MessageBoxPort& boxes,
      Clock clock = std::chrono::steady_clock::now, Columns columns = [] { return 0; });

  std::unique_ptr<LabelPort> addLabel(const ChildPlacement& placement) override;
  std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement& placement) override;
  std::unique_ptr<ImagePort> addImage(const ChildPlacement& placement) override;
  std::unique_ptr<ShapePort> addShape(const ChildPlacement& placement) override;
  MessageBoxPort& messageBox() override { return boxes_; }

  // Draws a change held back by the rate limit, in place.
  void drawPending();

  // Draws a change held back by the rate limit. On a terminal, later drawing starts a fresh
  // block below whatever was written after this call (a message box, the result).
  void flush();

 private:
  class Label;
  class Bar;
  struct LabelState {
    std::string caption;
    bool red = false;
  };

  void labelChanged(std::size_t index);
  void barChanged(float min, float max, float value);
  void redraw(bool force);
  std::string block() const;
  void writeBlock(const std::string& text);

  std::ostream& out_;
  bool live_;
  MessageBoxPort& boxes_;
  Clock clock_;
  Columns columns_;
  std::vector<LabelState> labels_;
  bool hasBar_ = false;
  int percent_ = 0;
  int plainStep_ = 0;  // the empty bar is not worth a line
  bool pending_ = false;
  std::string drawn_;
  int drawnLines_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace hv
