#include "transfer/transfer_schemes.h"

#include "runtime/text_compare.h"

namespace hv {

bool hasTransferScheme(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://", "ftp://"}) {
    if (equalsIgnoringAsciiCase(url.substr(0, scheme.size()), scheme))
      return true;
  }
  return false;
}

}  // namespace hv
