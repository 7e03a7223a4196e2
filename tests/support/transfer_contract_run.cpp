// How a case is played on a port, whichever runner reports the checks.
#include <algorithm>
#include <optional>

#include "runtime/library_errors.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/transfer_contract.h"

namespace hv::testing::contract {
namespace {

constexpr std::int16_t kChunkSize = 4096;

std::string chunk(TransferControl& transfer) {
  const auto bytes = transfer.GetChunk(kChunkSize, 1);
  return {bytes.begin(), bytes.end()};
}

bool fails(TransferControl& transfer) {
  try {
    chunk(transfer);
  } catch (const ScriptError& e) {
    return e.number() == kTransferFailure;
  }
  return false;
}

void readBody(const Case& c, Rig& rig, const Report& check) {
  TransferControl& transfer = rig.transfer();
  std::string bytes;
  std::optional<ScriptError> failure;
  std::vector<std::size_t> sizes;
  try {
    for (std::string next = chunk(transfer); !next.empty(); next = chunk(transfer)) {
      sizes.push_back(next.size());
      bytes += next;
    }
  } catch (const ScriptError& e) {
    failure = e;
  }
  bool exact = bytes == c.body;
  for (std::size_t i = 0, left = c.body.size(); exact && i < sizes.size(); left -= sizes[i++])
    exact = sizes[i] == std::min<std::size_t>(kChunkSize, left);
  check("GetChunk hands out the body in chunks of 4096, then the rest", exact);
  if (!c.bodyFailure) {
    check("then nothing, and nothing again", !failure && chunk(transfer).empty());
    return;
  }
  const std::int32_t code = rig.pick(*c.bodyFailure);
  const Text said = failure ? failure->description() : Text();
  check("then fails instead of ending, numbered kTransferFailure and told by its code",
        failure && failure->number() == kTransferFailure &&
            said.starts_with(numberToText(code) + u" "));
  check("ResponseCode tells the failure (" + std::to_string(transfer.ResponseCode()) + ")",
        transfer.ResponseCode() == code && !transfer.ResponseInfo().empty());
  check("fails again when asked again", fails(transfer));
  transfer.Cancel();
  check("a cancel ends the failure", chunk(transfer).empty());
}

void read(const Case& c, Rig& rig, const Report& check) {
  TransferControl& transfer = rig.transfer();
  rig.execute(c);
  check("no notification from inside Execute", rig.states.empty());
  check("the outcome is reported", rig.awaitState());
  check("with its state, once, on the owner's thread",
        rig.states == std::vector<std::int16_t>{c.state} && !rig.offThread);
  check("ResponseCode (" + std::to_string(transfer.ResponseCode()) + ")",
        transfer.ResponseCode() == rig.pick(c.code));
  check("ResponseInfo (" + toUtf8(transfer.ResponseInfo()) + ")",
        toUtf8(transfer.ResponseInfo()) == c.info);
  for (const auto& [name, value] : c.headers)
    check("GetHeader(" + toUtf8(name) + ")", transfer.GetHeader(name) == value);
  if (c.state == kResponseCompleted)
    readBody(c, rig, check);
  else
    check("nothing to read after a failure", chunk(transfer).empty());
}

}  // namespace

void run(const Case& c, Rig& rig, const Report& report) {
  const Report check = [&](const std::string& what, bool ok) {
    report(std::string(c.name) + ": " + what, ok);
  };
  TransferControl& transfer = rig.transfer();
  switch (c.act) {
    case Act::kRead:
      read(c, rig, check);
      return;
    case Act::kRefuse: {
      std::int32_t number = 0;
      try {
        transfer.Execute(c.url);
      } catch (const ScriptError& e) {
        number = e.number();
      }
      check("Execute refuses " + toUtf8(c.url) + " as an invalid procedure call",
            number == runtime_error::kInvalidProcedureCall);
      rig.pumpAWhile();
      check("a refused URL is never reported", rig.states.empty());
      return;
    }
    case Act::kCancelBeforeHead:
      rig.execute(c);
      rig.letRequestLeave();
      transfer.Cancel();
      transfer.Cancel();
      rig.pumpAWhile();
      check("a cancel before the response silences it", rig.states.empty());
      check("nothing to read after a cancel", chunk(transfer).empty());
      return;
    case Act::kCancelFromPump:
      rig.execute(c);
      check("the response is reported", rig.awaitState());
      rig.cancelFromPump();
      check("a cancel from the pump GetChunk waits in ends the body",
            chunk(transfer).empty() && chunk(transfer).empty());
      return;
    case Act::kDestroyInFlight:
      rig.execute(c);
      rig.letRequestLeave();
      rig.destroyAndRenew();
      rig.pumpAWhile();
      check("a port let go with its request on the way reports nothing", rig.states.empty());
      run(cases().front(), rig, [&](const std::string& what, bool ok) {
        check("then another from the same factory: " + what, ok);
      });
      return;
  }
}

}  // namespace hv::testing::contract
