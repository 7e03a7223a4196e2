// Base's stored children, created in their stored order before the initialisation step.
#include "control/banner_picture.h"
#include "control/control_layout.h"
#include "control/dispatch_error.h"
#include "control/library_classes.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

ChildPlacement placementOf(const LayoutChild& child) {
  return {child.name,       child.rect.left,   child.rect.top,
          child.rect.width, child.rect.height, child.visibleAtRunTime};
}

std::unique_ptr<Label> labelFrom(UiSite& ui, const LayoutChild& child) {
  auto label = std::make_unique<Label>(ui.addLabel(placementOf(child)));
  label->setCaption(child.caption);
  if (child.foreColor)
    label->setForeColor(*child.foreColor);
  if (child.backColor)
    label->setBackColor(*child.backColor);
  if (child.font)
    label->setFont(textFromAscii(child.font->name), child.font->points, child.font->bold);
  return label;
}

[[noreturn]] void unknownChild(const LayoutChild& child) {
  throw DispatchError(kRegDbEClassNotReg, "class not registered: " + std::string(child.progId) +
                                              " (" + std::string(child.name) + ")");
}

}  // namespace

void Base::createChildren() {
  UiSite& ui = context_.ui;
  for (const LayoutChild& child : baseLayout().children) {
    switch (child.kind) {
      case ChildKind::UserControl: {
        const ClassFactory& factory = context_.classes.classFor(child.progId, *child.clsid);
        if (&factory.classInfo() != &inetDownloaderClass())
          unknownChild(child);
        inetDownloaderFactory_ = &factory;
        loadInetDownloader();
        break;
      }
      case ChildKind::ExternalControl:
        if (child.progId == progressBarClass().progId) {
          prgDownload = std::make_shared<ProgressBar>(ui.addProgressBar(placementOf(child)),
                                                      child.rangeMin.value_or(0),
                                                      child.rangeMax.value_or(100));
        } else if (child.progId == kTransferControlProgId) {
          Inet1 = platform_.transfers.createTransferControl();
        } else {
          unknownChild(child);
        }
        break;
      case ChildKind::Label:
        (child.name == "lblMessage" ? lblMessage : lblDownload) = labelFrom(ui, child);
        break;
      case ChildKind::Image:
        Image1 = ui.addImage(placementOf(child));
        Image1->setPicture(persistedPictureData(child.picture));
        break;
      case ChildKind::Shape:
        Shape1 = ui.addShape(placementOf(child));
        Shape1->setStyle(static_cast<std::uint8_t>(child.settings.at(0).value),
                         static_cast<std::int16_t>(child.settings.at(1).value));
        break;
    }
  }
}

}  // namespace hv
