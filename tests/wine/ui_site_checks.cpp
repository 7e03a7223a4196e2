// A control's face on Windows: the panel's children as real windows, read back through the
// system, and the same state kept when no window can be made.
#include <windows.h>
// The common controls' header needs the base types first.
#include <commctrl.h>

#include <cmath>
#include <limits>

#include "client_calls.h"
#include "client_checks.h"
#include "panel_windows.h"
#include "win32/win32_panel_children.h"
#include "win32/win32_ui_site.h"

namespace hv::client {
namespace {

// A fresh Base's panel, as its layout stores it, each child a window of the parking window.
void checkBasePanel(Checks& checks) {
  checks.equal("no parking window before a Base", parkingWindows().size(), std::size_t{0});
  IDispatch* base = createDispatch(kBaseClsid);
  IDispatch* downloader = createDispatch(kInetDownloaderClsid);
  const auto parked = parkingWindows();
  checks.equal("one parking window for the Base, none for the downloader", parked.size(),
               std::size_t{1});
  if (parked.size() == 1) {
    checks.check("the parking window is hidden", !IsWindowVisible(parked[0]));
    std::vector<std::string> names;
    for (HWND child : childWindows(parked[0]))
      names.push_back(childName(child));
    checks.equal("the panel's children", names.size(), std::size_t{5});
    for (HWND child : childWindows(parked[0])) {
      const std::string name = childName(child);
      if (name == "lblDownload") {
        checks.equal("lblDownload's caption", windowText(child), std::string("Download Progress"));
        checks.equal("lblDownload's text colour is the default", colorOf(child, kForeColorProperty),
                     -1L);
        checks.equal("lblDownload's background", colorOf(child, kBackColorProperty), 0xFFFFFFL);
        checks.check("lblDownload has its font", SendMessageW(child, WM_GETFONT, 0, 0) != 0);
      } else if (name == "lblMessage") {
        checks.equal("lblMessage's text colour", colorOf(child, kForeColorProperty), 0xFFFFFFL);
      } else if (name == "prgDownload") {
        checks.equal("the progress bar's class", std::string("msctls_progress32"),
                     className(child));
        checks.equal("the progress bar's bottom",
                     static_cast<long>(SendMessageW(child, PBM_GETRANGE, TRUE, 0)), 0L);
        checks.equal("the progress bar's top",
                     static_cast<long>(SendMessageW(child, PBM_GETRANGE, FALSE, 0)), 100L);
        checks.equal("the progress bar starts empty",
                     static_cast<long>(SendMessageW(child, PBM_GETPOS, 0, 0)), 0L);
      }
    }
  }
  downloader->Release();
  base->Release();
  checks.equal("the parking window goes with its Base", parkingWindows().size(), std::size_t{0});
}

struct BarCase {
  const char* label;
  float min, max, value;
  int position;
};

// The bar takes whole numbers within its range, whatever it is handed.
void checkProgressBar(Checks& checks) {
  Win32UiSite site;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float huge = std::numeric_limits<float>::max();
  const std::vector<BarCase> cases = {
      {"41", 0, 100, 41, 41},
      {"12.5 rounds", 0, 100, 12.4f, 12},
      {"above the range", 0, 100, 150, 100},
      {"below the range", 0, 100, -5, 0},
      {"not a number", 0, 100, nan, 0},
      {"the largest single", 0, huge, huge, INT_MAX},
      {"an empty range", 50, 50, 70, 50},
  };
  auto bar = site.addProgressBar({"prgDownload", 120, 1200, 5055, 375, true});
  auto& face = static_cast<Win32ProgressBar&>(*bar);
  checks.check("the bar is a window", face.window() != nullptr);
  for (const auto& c : cases) {
    face.show(c.min, c.max, c.value);
    checks.equal(std::string("the bar at ") + c.label, face.position(), c.position);
    checks.equal(std::string("the bar's window at ") + c.label,
                 static_cast<int>(SendMessageW(face.window(), PBM_GETPOS, 0, 0)), c.position);
  }
}

// Without a parent no window is made, and the children still keep what they were given.
void checkWithoutWindows(Checks& checks) {
  Win32Label label(nullptr, {"lblDownload", 120, 840, 3735, 255, true});
  label.setCaption(u"Install error");
  label.setForeColor(0x0000FF);
  label.setFont(u"MS Sans Serif", 8.25, true);
  checks.check("a label without a parent has no window", label.window() == nullptr);
  checks.equal("and keeps its colour", static_cast<long>(label.foreColor().value_or(1)), 0xFFL);
  Win32ProgressBar bar(nullptr, {"prgDownload", 0, 0, 0, 0, true});
  bar.show(0, 100, 41);
  checks.equal("a bar without a parent keeps its position", bar.position(), 41);
}

}  // namespace

void checkUiSite(Checks& checks) {
  checkBasePanel(checks);
  checkProgressBar(checks);
  checkWithoutWindows(checks);
}

}  // namespace hv::client
