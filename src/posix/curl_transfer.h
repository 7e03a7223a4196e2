#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/transfer_control_port.h"
#include "posix/connect_to_record.h"
#include "posix/event_loop.h"
#include "transfer/transfer_rules.h"

namespace hv {

struct CurlTransferSettings {
  // "HOST:PORT:ADDR:PORT" entries, as curl's --connect-to takes them.
  std::vector<std::string> connectTo;
  RedirectPermission redirectAllowed;
};

class CurlTransfer;

// The libcurl multi interface driven by the host's event loop; it hands out one transfer
// control per downloader and must outlive all of them.
class CurlTransferFactory : public TransferFactoryPort {
 public:
  CurlTransferFactory(EventLoop& loop, CurlTransferSettings settings);
  ~CurlTransferFactory() override;
  CurlTransferFactory(const CurlTransferFactory&) = delete;
  CurlTransferFactory& operator=(const CurlTransferFactory&) = delete;

  std::unique_ptr<TransferControl> createTransferControl() override;

  // Which connect-to entries the requests so far went through.
  const ConnectToRecord& connectToRecord() const;

  struct Multi;

 private:
  std::unique_ptr<Multi> multi_;
};

}  // namespace hv
