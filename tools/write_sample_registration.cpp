// Writes into a folder store the registration `hvdetector register` makes for the host installed
// at MODULE, so that the sample store an install ships has the library registered as a machine
// with the control installed would, and `detect` works on it as it stands.
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "control/registration.h"
#include "posix/reg_store/registration_writer.h"
#include "runtime/text_encoding.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s STORE-FOLDER MODULE\n", argv[0]);
    return 2;
  }
  try {
    std::filesystem::create_directories(argv[1]);
    hv::RegistryStore store(argv[1]);
    hv::RegistrationWriter(store).registerEntries(
        hv::registrationEntries(hv::fromUtf8(argv[2]), sizeof(void*) == 8));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
