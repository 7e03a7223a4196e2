// Base's stored children, created in their stored order before the initialisation step.
#include "control/dispatch_error.h"
#include "control/library_classes.h"
#include "orchestrate/base.h"

namespace hv {

void Base::createChildren() {
  UiSite& ui = context_.ui;
  const ClassFactory& downloader =
      context_.classes.classFor(inetDownloaderClass().progId, inetDownloaderClass().clsid);
  if (&downloader.classInfo() != &inetDownloaderClass())
    throw DispatchError(kRegDbEClassNotReg, "class not registered: HVDetector.InetDownloader");
  inetDownloaderFactory_ = &downloader;
  InetDownloader1.push_back(
      std::static_pointer_cast<InetDownloader>(downloader.createInstance(context_)));
  prgDownload =
      std::make_shared<ProgressBar>(ui.addProgressBar({"prgDownload", 120, 1200, 5055, 375, true}));
  Inet1 = platform_.transfers.createTransferControl();
  lblMessage = std::make_unique<Label>(ui.addLabel({"lblMessage", 570, 180, 4170, 240, true}));
  lblMessage->setCaption(u"Downloading Corvantis Halverine  ");
  lblMessage->setForeColor(0x00FFFFFF);
  lblMessage->setBackColor(0x00FFFFFF);
  lblMessage->setFont(u"Verdana", 9.75, true);
  Image1 = ui.addImage({"Image1", 0, 60, 5310, 510, true});
  Shape1 = ui.addShape({"Shape1", 15, 255, 5295, 1440, true});
  Shape1->setStyle(4, 2);
  lblDownload = std::make_unique<Label>(ui.addLabel({"lblDownload", 120, 840, 3735, 255, true}));
  lblDownload->setCaption(u"Download Progress");
  lblDownload->setBackColor(0x00FFFFFF);
  lblDownload->setFont(u"MS Sans Serif", 8.25, true);
}

}  // namespace hv
