#pragma once

#include "runtime/ansi_code_page.h"

namespace hv::testing {

// Runs a test under another platform's code page and puts the previous one back.
class ScopedCodePage {
 public:
  explicit ScopedCodePage(AnsiCodePage page) : previous_(ansiCodePage()) {
    selectAnsiCodePage(page);
  }
  ~ScopedCodePage() { selectAnsiCodePage(previous_); }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  AnsiCodePage previous_;
};

}  // namespace hv::testing
