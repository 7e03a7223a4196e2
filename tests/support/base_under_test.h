#pragma once

#include <algorithm>
#include <array>
#include <memory>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv::testing {

// A Base made as a page makes one, through the module's class for it, on fakes; members are
// called through the dispatch layer, as page script calls them.
struct BaseUnderTest {
  BaseUnderTest()
      : base(std::static_pointer_cast<Base>(
            fake.classes.byClsid(baseClass().clsid).createInstance(fake.context))) {}

  Variant call(TextView member, Text source, Text dest = u"") {
    std::array<Variant, 2> args{Variant(std::move(source)), Variant(std::move(dest))};
    return invokeByName(*base, member, MemberKind::Method, args);
  }
  void download(Text url) { call(u"Download", std::move(url)); }
  void downloadInternal(Text url) { call(u"DownloadInternal", std::move(url)); }

  // The transfer of the worker loaded last, and that worker answering with `body`.
  FakeTransfer& transfer() { return fake.transfers.last(); }
  void serve(const std::string& body, const Text& contentLength) {
    transfer().respond(body, contentLength);
    transfer().deliver(kResponseCompleted);
  }
  void fail(std::int32_t code, const Text& info) {
    transfer().responseCode = code;
    transfer().responseInfo = info;
    transfer().deliver(kTransferFailed);
  }

  // How many requests the workers have sent; the layout's own transfers send none.
  std::size_t downloadsStarted() const {
    return std::count_if(fake.transfers.created.begin(), fake.transfers.created.end(),
                         [](const FakeTransfer* t) { return !t->executed.empty(); });
  }

  // What the progress bar has drawn, in order.
  const std::vector<float>& barValues() { return fake.ui.bars["prgDownload"].shown; }

  FakePlatform fake;
  std::shared_ptr<Base> base;
};

inline constexpr char16_t kDocumentUrl[] = u"http://www.corvantis.example/dl/report.cvx";

}  // namespace hv::testing
