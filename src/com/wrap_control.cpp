#include "com/wrap_control.h"

#include "com/base_control_com_object.h"
#include "com/inet_downloader_com_object.h"
#include "control/library_classes.h"

namespace hv {

IUnknown* wrapControl(std::shared_ptr<ControlObject> object, std::shared_ptr<Win32UiSite> site) {
  if (&object->classInfo() == &baseClass())
    return static_cast<_Base*>(new BaseControlComObject(std::move(object), std::move(site)));
  return static_cast<_InetDownloader*>(
      new InetDownloaderComObject(std::move(object), std::move(site)));
}

}  // namespace hv
