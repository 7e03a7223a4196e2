#include "platform/posix/curl_version.h"

#include <curl/curl.h>

namespace hv {

std::string curlVersion() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && info->version != nullptr ? info->version : "unknown";
}

}  // namespace hv
