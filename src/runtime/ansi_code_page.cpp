#include "runtime/ansi_code_page.h"

#include <atomic>

namespace hv {
namespace {

// Process-wide: every thread of the process talks to the same system.
std::atomic<AnsiCodePage> selected{AnsiCodePage::Utf8};

}  // namespace

void selectAnsiCodePage(AnsiCodePage page) {
  selected.store(page, std::memory_order_relaxed);
}

AnsiCodePage ansiCodePage() {
  return selected.load(std::memory_order_relaxed);
}

}  // namespace hv
