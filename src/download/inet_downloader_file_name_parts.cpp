#include "download/download_naming.h"
#include "download/inet_downloader.h"

namespace hv {

Variant InetDownloader::getFileNameParts(Text& strFileName) {
  return hv::getFileNameParts(strFileName);
}

}  // namespace hv
