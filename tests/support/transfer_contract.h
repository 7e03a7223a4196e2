#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/transfer_control_port.h"
#include "runtime/text.h"
#include "support/http_reply.h"

// What every transfer control promises its downloader, as cases: what the loopback server sends
// and what the port must report. The fake, the curl transfer and the WinINet transfer (from the
// Windows client) all run the same cases; the fake is written from what the server would send and
// skips the cases only a real connection can play. Portable: the site and the client build it.
namespace hv::testing::contract {

// What a case does with the port after Execute.
enum class Act {
  kRead,              // waits for the state, then reads every chunk
  kRefuse,            // Execute must refuse `url` outright
  kCancelBeforeHead,  // cancels twice while the request is on its way
  kCancelFromPump,    // after state 12, a cancel runs from the pump a waiting GetChunk runs
  kDestroyInFlight,   // lets the port go while its request is on its way
};

// A ResponseCode in the numbering of each real transfer.
struct Codes {
  std::int32_t curl;
  std::int32_t winInet;
};
constexpr Codes both(std::int32_t code) {
  return {code, code};
}

struct Case {
  const char* name;  // the site serves the case at /contract/NAME
  Reply served{};
  Act act = Act::kRead;
  bool needsSocket = false;  // the fake cannot be written to play it
  std::int16_t state = kResponseCompleted;
  Codes code = both(200);                        // ResponseCode once the state is reported
  std::string info{};                            // ResponseInfo then
  std::vector<std::pair<Text, Text>> headers{};  // GetHeader(name) gives value
  std::string body{};                            // what GetChunk hands out
  std::optional<Codes> bodyFailure{};            // the body then fails with this ResponseCode
  // WinINet decodes the chunks itself and ends such a body as if it were whole: a known gap its
  // runner skips rather than passes.
  bool winInetBlind = false;
  const char16_t* url = nullptr;  // kRefuse: the URL refused
};

const std::vector<Case>& cases();
std::string path(const Case& c);

// A port under test, with what its runner alone knows: how it is made, how its notifications
// arrive, and how long its requests take.
class Rig {
 public:
  virtual ~Rig() = default;
  virtual TransferControl& transfer() = 0;
  // Executes the request for the case.
  virtual void execute(const Case& c) = 0;
  // Lets the notifications come until a state arrives; false when none came in time.
  virtual bool awaitState() = 0;
  // Lets the request reach the server, without waiting for its answer.
  virtual void letRequestLeave() = 0;
  // Lets the notifications come for a while.
  virtual void pumpAWhile() = 0;
  // Has a Cancel run from the next pump, as a page's handler would.
  virtual void cancelFromPump() = 0;
  // Lets the port go, then makes another from the same factory.
  virtual void destroyAndRenew() = 0;
  virtual std::int32_t pick(const Codes& codes) const = 0;

  // For the transfer's state handler.
  void record(std::int16_t state) {
    states.push_back(state);
    offThread = offThread || std::this_thread::get_id() != owner_;
  }
  std::vector<std::int16_t> states;
  bool offThread = false;

 private:
  std::thread::id owner_ = std::this_thread::get_id();
};

using Report = std::function<void(const std::string& label, bool ok)>;
void run(const Case& c, Rig& rig, const Report& report);

}  // namespace hv::testing::contract
