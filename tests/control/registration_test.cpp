#include "control/registration.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace hv {
namespace {

const RegistrationKey* find(const std::vector<RegistrationKey>& keys, TextView path) {
  const auto it = std::find_if(keys.begin(), keys.end(),
                               [&](const RegistrationKey& k) { return k.path == path; });
  return it == keys.end() ? nullptr : &*it;
}

Text valueOf(const std::vector<RegistrationKey>& keys, TextView path, TextView name) {
  const RegistrationKey* key = find(keys, path);
  if (key == nullptr)
    return u"<no key>";
  for (const auto& v : key->values) {
    if (v.name == name)
      return v.data;
  }
  return u"<no value>";
}

TEST(Registration, TypeLibraryFirstThenInetDownloaderThenBase) {
  const auto keys = registrationEntries(u"C:\\lib\\CorvantisHalverineDetector.ocx", false);
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.front().path, u"TypeLib\\{350C45A9-FCCA-4A96-8572-75B686F0CC80}\\3.2");
  const auto position = [&](TextView path) { return find(keys, path) - keys.data(); };
  EXPECT_LT(position(u"CLSID\\{D4F50458-F1CC-4BC8-8A45-1A285926FE74}"),
            position(u"CLSID\\{60246658-5626-449F-8701-66D278AD2EB2}"));
  for (const auto& k : keys)
    EXPECT_EQ(k.root, kHkeyClassesRoot);
}

TEST(Registration, EachClassIsAnApartmentThreadedControlOfThisModule) {
  const Text module = u"C:\\lib\\CorvantisHalverineDetector.ocx";
  const auto keys = registrationEntries(module, false);
  struct Class {
    Text clsid, progId, miscStatus, bitmap;
  };
  for (const auto& c :
       {Class{u"{60246658-5626-449F-8701-66D278AD2EB2}", u"HVDetector.Base", u"131473", u"30001"},
        Class{u"{D4F50458-F1CC-4BC8-8A45-1A285926FE74}", u"HVDetector.InetDownloader", u"148881",
              u"30000"}}) {
    const Text base = u"CLSID\\" + c.clsid;
    EXPECT_EQ(valueOf(keys, base + u"\\InprocServer32", u""), module);
    EXPECT_EQ(valueOf(keys, base + u"\\InprocServer32", u"ThreadingModel"), u"Apartment");
    EXPECT_EQ(valueOf(keys, base + u"\\ProgID", u""), c.progId);
    EXPECT_NE(find(keys, base + u"\\Control"), nullptr);
    EXPECT_EQ(valueOf(keys, base + u"\\MiscStatus\\1", u""), c.miscStatus);
    EXPECT_EQ(valueOf(keys, base + u"\\ToolboxBitmap32", u""), module + u", " + c.bitmap);
    EXPECT_EQ(valueOf(keys, base + u"\\TypeLib", u""), u"{350C45A9-FCCA-4A96-8572-75B686F0CC80}");
    EXPECT_EQ(valueOf(keys, base + u"\\Version", u""), u"3.2");
    EXPECT_EQ(valueOf(keys, c.progId + u"\\Clsid", u""), c.clsid);
  }
}

TEST(Registration, EveryInterfaceIdentifierCurrentAndEarlierIsAnAutomationInterface) {
  const auto keys = registrationEntries(u"/lib/m.ocx", true);
  for (const char* iid :
       {"{1715DE97-579C-46D9-8AF9-D4A0B934CD30}", "{980B1BB5-F017-4422-B432-8D99720B1515}",
        "{3D2E1BFB-007C-44DF-AE43-ED11084A918B}", "{A28959C2-D3C3-4521-A79A-17712D8DAB48}",
        "{1FC3E967-0ACC-40EE-8196-A2A6D47EC838}", "{98ADCF13-210F-429D-B39D-30FBF67FB57C}",
        "{F0E50D80-3E60-4D75-8304-5E7117095C46}", "{0A8B740E-A370-4D56-8674-0669E2AC0257}"}) {
    const Text base = u"Interface\\" + Text(iid, iid + 38);
    EXPECT_EQ(valueOf(keys, base + u"\\TypeLib", u""), u"{350C45A9-FCCA-4A96-8572-75B686F0CC80}")
        << iid;
    EXPECT_EQ(valueOf(keys, base + u"\\TypeLib", u"Version"), u"3.2") << iid;
  }
  EXPECT_EQ(valueOf(keys, u"TypeLib\\{350C45A9-FCCA-4A96-8572-75B686F0CC80}\\3.2\\0\\win64", u""),
            u"/lib/m.ocx");
  EXPECT_EQ(valueOf(keys, u"TypeLib\\{350C45A9-FCCA-4A96-8572-75B686F0CC80}\\3.2\\FLAGS", u""),
            u"2");
}

TEST(Registration, NoSafetyComponentCategoriesAreRegistered) {
  for (const auto& k : registrationEntries(u"m.ocx", false)) {
    EXPECT_EQ(k.path.find(u"Implemented Categories"), Text::npos);
  }
}

}  // namespace
}  // namespace hv
