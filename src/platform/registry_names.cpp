#include "platform/registry_names.h"

namespace hv {

Text foldRegistryName(TextView name) {
  Text folded(name);
  for (char16_t& c : folded) {
    const bool upperAscii = c >= u'A' && c <= u'Z';
    const bool upperLatin1 = c >= 0xC0 && c <= 0xDE && c != 0xD7;
    if (upperAscii || upperLatin1)
      c = static_cast<char16_t>(c + 0x20);
  }
  return folded;
}

Text trimKeyPath(TextView path) {
  while (!path.empty() && path.back() == u'\\')
    path.remove_suffix(1);
  return Text(path);
}

Text classesPath(TextView path) {
  const Text classes = u"Software\\Classes";
  return path.empty() ? classes : classes + u"\\" + Text(path);
}

}  // namespace hv
