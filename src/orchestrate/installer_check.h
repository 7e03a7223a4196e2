#pragma once

#include <cstddef>
#include <memory>

#include "platform/platform.h"
#include "runtime/text.h"

namespace hv {

// The largest detached signature fetched; a real one is a few hundred bytes.
inline constexpr std::size_t kLargestInstallerSignature = 4096;

// Whether the installer INSTALL fetched from `url` into `path` is the vendor's, before anything
// runs it: its detached signature, where the platform wants one, is fetched from `url` and the
// platform's suffix under the same domain rule, pumping the host's queue until it has arrived,
// and the platform checks the file against it. The result holds the file as it was checked
// until it goes. Any refusal removes the file and throws ScriptError whose description begins
// "Nothing was run: ".
std::unique_ptr<CheckedInstaller> checkFetchedInstaller(Platform& platform, const Text& path,
                                                        const Text& url);

}  // namespace hv
