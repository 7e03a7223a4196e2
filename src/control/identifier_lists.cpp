#include "control/library_classes.h"
#include "control/resources.h"

namespace hv {
namespace {

std::vector<std::uint8_t> identifierList(const InterfaceInfo& interface) {
  std::vector<Guid> ids;
  for (const auto& e : interface.earlier)
    ids.push_back(e.iid);
  ids.push_back(interface.current.iid);

  const std::uint32_t count = static_cast<std::uint32_t>(ids.size() * 16);
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 4; ++i)
    bytes.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
  for (const Guid& id : ids) {
    const auto b = id.bytes();
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  return bytes;
}

}  // namespace

std::vector<NamedResource> identifierListResources() {
  return {
      {"_IID_BASE", identifierList(baseClass().defaultInterface)},
      {"_SRCIID_BASE", identifierList(baseClass().eventInterface)},
      {"_IID_INETDOWNLOADER", identifierList(inetDownloaderClass().defaultInterface)},
      {"_SRCIID_INETDOWNLOADER", identifierList(inetDownloaderClass().eventInterface)},
  };
}

}  // namespace hv
