#include "platform/win32/com_objects.h"

#include "control/library_classes.h"
#include "platform/win32/base_com_object.h"
#include "platform/win32/inet_downloader_com_object.h"

namespace hv {

IUnknown* wrapControl(std::shared_ptr<ControlObject> object, std::shared_ptr<Win32UiSite> site) {
  if (&object->classInfo() == &baseClass())
    return static_cast<_Base*>(new BaseComObject(std::move(object), std::move(site)));
  return static_cast<_InetDownloader*>(
      new InetDownloaderComObject(std::move(object), std::move(site)));
}

}  // namespace hv
