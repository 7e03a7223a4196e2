#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "control/registration.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "posix/composition/environment_error.h"
#include "posix/composition/registry_location.h"
#include "posix/reg_store/registration_writer.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// What the registration names as the module: this program, which carries the library.
Text modulePath() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return fromUtf8(error ? "hvdetector" : self.string());
}

std::vector<RegistrationKey> entries() {
  return registrationEntries(modulePath(), sizeof(void*) == 8);
}

// The writer refuses a store it cannot read or write, leaving it as it was: the store is the
// environment the command runs in, not the command's own failure.
template <typename Edit>
void editStore(Edit edit) {
  try {
    edit();
  } catch (const std::runtime_error& e) {
    throw EnvironmentError(e.what());
  }
}

}  // namespace

int registerCommand(CommandContext& context) {
  if (!context.args.empty())
    return usageError(context, "register takes no arguments");
  RegistryStore store(registryLocation(context.options));
  RegistrationWriter writer(store);
  editStore([&] { writer.registerEntries(entries()); });
  context.out << "registered the type library, HVDetector.InetDownloader and HVDetector.Base in "
              << writer.targetFile().string() << "\n";
  return kExitSuccess;
}

int unregisterCommand(CommandContext& context) {
  if (!context.args.empty())
    return usageError(context, "unregister takes no arguments");
  RegistryStore store(registryLocation(context.options));
  RegistrationWriter writer(store);
  editStore([&] { writer.unregisterEntries(entries()); });
  context.out << "removed the registration from " << writer.targetFile().string() << "\n";
  return kExitSuccess;
}

}  // namespace hv
