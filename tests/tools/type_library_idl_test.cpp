#include "tools/type_library_idl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv {
namespace {

std::size_t positionOf(const std::string& text, const std::string& line) {
  const auto at = text.find(line);
  EXPECT_NE(at, std::string::npos) << "missing: " << line;
  return at;
}

// The declarations pages and early-bound clients depend on, written out by hand: a wrong
// identifier, kind, parameter passing or order in the member tables shows up here.
TEST(TypeLibraryIdl, DeclaresTheBaseInterfaceInFunctionTableOrder) {
  const std::string idl = typeLibraryIdl();
  const std::vector<std::string> inOrder = {
      "interface _Base : IDispatch",
      "[id(0x68030003), propget] HRESULT HasCvxMime([out, retval] VARIANT_BOOL* result);",
      "[id(0x68030002), propget] HRESULT HasCvtMime([out, retval] VARIANT_BOOL* result);",
      "[id(0x68030001), propget] HRESULT HasParticipantHalverine([out, retval] VARIANT_BOOL* "
      "result);",
      "[id(0x68030000), propget] HRESULT HasSupervisorHV([out, retval] VARIANT_BOOL* result);",
      "[id(0x68030004), propget] HRESULT HasIEAutoOpen([out, retval] VARIANT_BOOL* result);",
      "[id(0x68030005), propput] HRESULT DownloadLocation([in] BSTR value);",
      "[id(0x60030010)] HRESULT LAUNCH([in, out] BSTR* url, [out, retval] VARIANT* result);",
      "[id(0x60030011)] HRESULT LaunchInternal([in, out] BSTR* remoteFile, [out, retval] "
      "VARIANT* result);",
      "[id(0x60030012)] HRESULT getRemoteFile([in, out] VARIANT* url, [out, retval] BSTR* "
      "result);",
      "[id(0x60030013)] HRESULT INSTALL([out, retval] VARIANT* result);",
      "[id(0x60030015)] HRESULT DownloadInternal([in, out] BSTR* source, [in, out] BSTR* dest, "
      "[out, retval] long* result);",
      "[id(0x60030016)] HRESULT Download([in, out] BSTR* source, [in, out] BSTR* dest, [out, "
      "retval] long* result);",
  };
  std::size_t previous = 0;
  for (const auto& line : inOrder) {
    const std::size_t at = positionOf(idl, line);
    EXPECT_GT(at, previous) << "out of order: " << line;
    previous = at;
  }
}

TEST(TypeLibraryIdl, DeclaresTheDownloaderInterfaceAndBothEventInterfaces) {
  const std::string idl = typeLibraryIdl();
  for (const std::string line : {
           "[id(0x68030001), propget] HRESULT RemoteFileToDownload([out, retval] VARIANT* "
           "result);",
           "[id(0x68030000), propput] HRESULT fileType([in, out] short* value);",
           "[id(0x60030004)] HRESULT Cancel();",
           "[id(0x6003000A)] HRESULT getFileNameParts([in, out] BSTR* strFileName, [out, retval] "
           "VARIANT* result);",
           "dispinterface __Base",
           "dispinterface __InetDownloader",
           "[id(1)] void Progress([in, out] long* BytesReceived, [in, out] long* "
           "bytesRemaining);",
           "[id(2)] void DownloadComplete();",
           "[id(3)] void error([in, out] long* errCode, [in, out] BSTR* errMsg);",
       }) {
    positionOf(idl, line);
  }
}

TEST(TypeLibraryIdl, CarriesTheIdentityOfLibraryInterfacesAliasesAndClasses) {
  const std::string idl = typeLibraryIdl();
  for (const std::string text : {
           "uuid(350C45A9-FCCA-4A96-8572-75B686F0CC80),\n  version(3.2),\n  lcid(0x00000409),\n"
           "  helpstring(\"Corvantis Halverine Detector Control\"),\n  control\n]\n"
           "library HVDetector",
           "importlib(\"stdole2.tlb\");",
           "uuid(1715DE97-579C-46D9-8AF9-D4A0B934CD30),\n      version(1.2),\n      hidden,\n"
           "      dual,\n      nonextensible,\n      oleautomation",
           "typedef [uuid(980B1BB5-F017-4422-B432-8D99720B1515), version(1.0), hidden, public] "
           "_Base Base___v0;",
           "typedef [uuid(3D2E1BFB-007C-44DF-AE43-ED11084A918B), version(1.1), hidden, public] "
           "_Base Base___v1;",
           "uuid(A28959C2-D3C3-4521-A79A-17712D8DAB48),\n      hidden",
           "uuid(60246658-5626-449F-8701-66D278AD2EB2),\n      version(1.2),\n      control,\n"
           "      noncreatable\n    ]\n    coclass Base",
           "uuid(D4F50458-F1CC-4BC8-8A45-1A285926FE74),\n      version(1.0),\n      control,\n"
           "      noncreatable\n    ]\n    coclass InetDownloader",
       }) {
    positionOf(idl, text);
  }
}

TEST(TypeLibraryIdl, OnlyBaseImplementsObjectSafety) {
  const std::string idl = typeLibraryIdl();
  const auto downloader = positionOf(idl, "coclass InetDownloader");
  const auto base = positionOf(idl, "coclass Base");
  const auto safety = idl.find("interface IObjectSafety;");
  ASSERT_NE(safety, std::string::npos);
  EXPECT_GT(safety, base);
  EXPECT_EQ(idl.find("interface IObjectSafety;", safety + 1), std::string::npos);
  EXPECT_LT(downloader, base);
}

}  // namespace
}  // namespace hv
