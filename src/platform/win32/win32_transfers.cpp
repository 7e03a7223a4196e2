#include "platform/win32/win32_transfers.h"

#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr std::int32_t kNotImplemented = static_cast<std::int32_t>(0x80004001);

class UnavailableTransfer : public TransferControl {
 public:
  void onStateChanged(StateHandler) override {}
  void Execute(TextView) override {
    throw ScriptError(kNotImplemented, u"InetDownloader",
                      u"Downloads are not implemented yet in the Windows module");
  }
  void Cancel() override {}
  std::vector<std::uint8_t> GetChunk(std::int16_t, std::int32_t) override { return {}; }
  Text GetHeader(TextView) override { return {}; }
  std::int32_t ResponseCode() override { return 0; }
  Text ResponseInfo() override { return {}; }
  void RequestTimeout(std::int32_t) override {}
};

}  // namespace

std::unique_ptr<TransferControl> Win32Transfers::createTransferControl() {
  return std::make_unique<UnavailableTransfer>();
}

}  // namespace hv
