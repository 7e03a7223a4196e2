#include "control/library_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace hv {
namespace {

struct Expected {
  DispId id;
  const char* name;
  MemberKind kind;
  std::string params;  // "R" by reference, "V" by value, then the type letter
  VarType result;
};

std::string paramCode(const MemberInfo& m) {
  std::string code;
  for (const auto& p : m.params) {
    code += p.byRef ? "R" : "V";
    code += varTypeName(p.type)[0];
  }
  return code;
}

void expectMembers(const ClassInfo& info, const std::vector<Expected>& expected) {
  ASSERT_EQ(info.members.size(), expected.size()) << info.name;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& m = info.members[i];
    const auto& e = expected[i];
    EXPECT_EQ(m.id, e.id) << e.name;
    EXPECT_EQ(m.name, e.name);
    EXPECT_EQ(m.kind, e.kind) << e.name;
    EXPECT_EQ(paramCode(m), e.params) << e.name;
    EXPECT_EQ(m.result, e.result) << e.name;
  }
}

TEST(LibraryClasses, BaseMembersInTypeLibraryOrder) {
  using K = MemberKind;
  using T = VarType;
  expectMembers(baseClass(),
                {
                    {0x68030005, "DownloadLocation", K::PropertyPut, "VS", T::Empty},
                    {0x68030003, "HasCvxMime", K::PropertyGet, "", T::Boolean},
                    {0x68030002, "HasCvtMime", K::PropertyGet, "", T::Boolean},
                    {0x68030001, "HasParticipantHalverine", K::PropertyGet, "", T::Boolean},
                    {0x68030000, "HasSupervisorHV", K::PropertyGet, "", T::Boolean},
                    {0x68030004, "HasIEAutoOpen", K::PropertyGet, "", T::Boolean},
                    {0x60030010, "LAUNCH", K::Method, "RS", T::Variant},
                    {0x60030011, "LaunchInternal", K::Method, "RS", T::Variant},
                    {0x60030012, "getRemoteFile", K::Method, "RV", T::String},
                    {0x60030013, "INSTALL", K::Method, "", T::Variant},
                    {0x60030015, "DownloadInternal", K::Method, "RSRS", T::Long},
                    {0x60030016, "Download", K::Method, "RSRS", T::Long},
                });
}

TEST(LibraryClasses, InetDownloaderMembersInTypeLibraryOrder) {
  using K = MemberKind;
  using T = VarType;
  expectMembers(inetDownloaderClass(),
                {
                    {0x68030001, "RemoteFileToDownload", K::PropertyGet, "", T::Variant},
                    {0x68030000, "fileType", K::PropertyPut, "RI", T::Empty},
                    {0x60030002, "Download", K::Method, "RSRS", T::Long},
                    {0x60030004, "Cancel", K::Method, "", T::Empty},
                    {0x60030005, "OpenFile", K::Method, "", T::Empty},
                    {0x60030006, "ReadBinaryData", K::Method, "", T::Empty},
                    {0x60030007, "ReadCharacterData", K::Method, "", T::Empty},
                    {0x6003000A, "getFileNameParts", K::Method, "RS", T::Variant},
                });
}

TEST(LibraryClasses, EventsPassEveryParameterByReference) {
  const auto& events = inetDownloaderClass().events;
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].id, 1);
  EXPECT_EQ(events[0].name, "Progress");
  EXPECT_EQ(events[1].id, 2);
  EXPECT_EQ(events[1].name, "DownloadComplete");
  EXPECT_EQ(events[2].id, 3);
  EXPECT_EQ(events[2].name, "error");
  ASSERT_EQ(baseClass().events.size(), 1u);
  EXPECT_EQ(baseClass().events[0].name, "Progress");
  for (const auto* info : {&baseClass(), &inetDownloaderClass()}) {
    for (const auto& e : info->events) {
      for (const auto& p : e.params)
        EXPECT_TRUE(p.byRef) << e.name << " " << p.name;
    }
  }
}

TEST(LibraryClasses, FunctionTableNamesEveryMemberOnce) {
  for (const auto* info : {&baseClass(), &inetDownloaderClass()}) {
    ASSERT_EQ(info->functionTableOrder.size(), info->members.size());
    for (const auto& m : info->members) {
      EXPECT_EQ(
          std::count(info->functionTableOrder.begin(), info->functionTableOrder.end(), m.name), 1)
          << m.name;
    }
  }
  EXPECT_EQ(baseClass().functionTableOrder.front(), "HasCvxMime");
  EXPECT_EQ(baseClass().functionTableOrder[5], "DownloadLocation");
}

TEST(LibraryClasses, Identities) {
  const auto& base = baseClass();
  EXPECT_EQ(base.clsid.toString(), "{60246658-5626-449F-8701-66D278AD2EB2}");
  EXPECT_EQ(base.progId, "HVDetector.Base");
  EXPECT_EQ(base.miscStatus, 131473u);
  EXPECT_EQ(base.toolboxBitmap, 30001);
  const auto& downloader = inetDownloaderClass();
  EXPECT_EQ(downloader.clsid.toString(), "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}");
  EXPECT_EQ(downloader.progId, "HVDetector.InetDownloader");
  EXPECT_EQ(downloader.miscStatus, 148881u);
  EXPECT_EQ(downloader.toolboxBitmap, 30000);
  // The downloader's status bits are Base's plus "invisible at run time" and "no UI activation".
  EXPECT_EQ(downloader.miscStatus, base.miscStatus | 0x400 | 0x4000);
}

}  // namespace
}  // namespace hv
