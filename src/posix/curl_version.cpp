#include "posix/curl_version.h"

#include <stdexcept>

#include "posix/libcurl.h"

namespace hv {

std::string curlVersion() {
  try {
    const curl_version_info_data* info = libcurl().version_info(CURLVERSION_NOW);
    return info != nullptr && info->version != nullptr ? info->version : "unknown";
  } catch (const std::runtime_error& e) {
    return std::string("unavailable (") + e.what() + ")";
  }
}

}  // namespace hv
