#include "control/registration.h"

#include <string>

#include "control/com_interfaces.h"
#include "control/library_classes.h"
#include "control/library_identity.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

Text ascii(std::string_view s) {
  return textFromAscii(s);
}

Text versionText(int major, int minor) {
  return ascii(std::to_string(major) + "." + std::to_string(minor));
}

Text folderOf(TextView path) {
  const auto cut = path.find_last_of(u"\\/");
  return Text(cut == TextView::npos ? TextView() : path.substr(0, cut + 1));
}

void addTypeLibrary(std::vector<RegistrationKey>& keys, TextView modulePath, bool win64) {
  const Text base = u"TypeLib\\" + library::kLibid.toText() + u"\\" +
                    versionText(library::kVersionMajor, library::kVersionMinor);
  keys.push_back({kHkeyClassesRoot, base, {{u"", ascii(library::kHelpString)}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\0\\" + (win64 ? u"win64" : u"win32"),
                  {{u"", Text(modulePath)}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\FLAGS",
                  {{u"", ascii(std::to_string(library::kLibraryFlagControl))}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\HELPDIR", {{u"", folderOf(modulePath)}}});
}

void addInterface(std::vector<RegistrationKey>& keys, std::string_view name, const Guid& iid,
                  const Guid& proxyStub) {
  const Text base = u"Interface\\" + iid.toText();
  keys.push_back({kHkeyClassesRoot, base, {{u"", ascii(name)}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\ProxyStubClsid", {{u"", proxyStub.toText()}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\ProxyStubClsid32", {{u"", proxyStub.toText()}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\TypeLib",
                  {{u"", library::kLibid.toText()},
                   {u"Version", versionText(library::kVersionMajor, library::kVersionMinor)}}});
}

void addClass(std::vector<RegistrationKey>& keys, const ClassInfo& info, TextView modulePath) {
  const Text progId = ascii(info.progId);
  const Text clsid = info.clsid.toText();
  const Text base = u"CLSID\\" + clsid;
  keys.push_back({kHkeyClassesRoot, base, {{u"", progId}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\InprocServer32",
                  {{u"", Text(modulePath)}, {u"ThreadingModel", u"Apartment"}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\ProgID", {{u"", progId}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\Control", {}});
  keys.push_back({kHkeyClassesRoot, base + u"\\MiscStatus", {{u"", u"0"}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\MiscStatus\\1",
                  {{u"", ascii(std::to_string(info.miscStatus))}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\ToolboxBitmap32",
                  {{u"", Text(modulePath) + u", " + ascii(std::to_string(info.toolboxBitmap))}}});
  keys.push_back({kHkeyClassesRoot, base + u"\\TypeLib", {{u"", library::kLibid.toText()}}});
  keys.push_back({kHkeyClassesRoot,
                  base + u"\\Version",
                  {{u"", versionText(library::kVersionMajor, library::kVersionMinor)}}});
  keys.push_back({kHkeyClassesRoot, progId, {{u"", progId}}});
  keys.push_back({kHkeyClassesRoot, progId + u"\\Clsid", {{u"", clsid}}});

  // Every identifier the interfaces have had, so clients built against an earlier release
  // still find them.
  const auto& dflt = info.defaultInterface;
  addInterface(keys, dflt.current.name, dflt.current.iid, iid::kPSOAInterface);
  for (const auto& e : dflt.earlier)
    addInterface(keys, dflt.current.name, e.iid, iid::kPSOAInterface);
  const auto& events = info.eventInterface;
  addInterface(keys, events.current.name, events.current.iid, iid::kPSDispatch);
  for (const auto& e : events.earlier)
    addInterface(keys, events.current.name, e.iid, iid::kPSDispatch);
}

}  // namespace

std::vector<RegistrationKey> registrationEntries(TextView modulePath, bool win64) {
  std::vector<RegistrationKey> keys;
  addTypeLibrary(keys, modulePath, win64);
  addClass(keys, inetDownloaderClass(), modulePath);
  addClass(keys, baseClass(), modulePath);
  return keys;
}

}  // namespace hv
