#include <iostream>

// Included by the name it had in earlier releases, which still works for this one.
#include "platform/posix/curl_version.h"
#include "posix/reg_store/registry_store.h"

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  hv::RegistryStore store(argv[1]);
  const auto tree = store.snapshot();
  std::cout << "libcurl " << hv::curlVersion() << "\n"
            << (store.problem() ? store.problem()->what() : "the store reads") << "\n";
  return store.problem() ? 1 : 0;
}
