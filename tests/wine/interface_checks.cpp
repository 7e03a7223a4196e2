#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "client_checks.h"

namespace hv::client {
namespace {

constexpr const char* kBase = "{60246658-5626-449F-8701-66D278AD2EB2}";
constexpr const char* kInetDownloader = "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";

// A page's event handler object: it only has to be there.
class NullSink : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return S_OK;
  }
  ULONG references = 1;
};

IUnknown* create(const char* clsid) {
  IUnknown* object = nullptr;
  CoCreateInstance(guidOf(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                   reinterpret_cast<void**>(&object));
  return object;
}

void* query(IUnknown* object, const char* iid) {
  void* answer = nullptr;
  if (SUCCEEDED(object->QueryInterface(guidOf(iid), &answer)))
    static_cast<IUnknown*>(answer)->Release();
  return answer;
}

void checkAliases(Checks& checks, IUnknown* base, IUnknown* downloader) {
  void* current = query(base, "{1715DE97-579C-46D9-8AF9-D4A0B934CD30}");
  checks.check("Base answers for its default interface", current != nullptr);
  for (const char* earlier :
       {"{980B1BB5-F017-4422-B432-8D99720B1515}", "{3D2E1BFB-007C-44DF-AE43-ED11084A918B}",
        "{00020400-0000-0000-C000-000000000046}"}) {
    checks.equal(std::string("Base answers ") + earlier + " with its default interface",
                 query(base, earlier), current);
  }
  checks.equal("IUnknown is the default interface too",
               query(base, "{00000000-0000-0000-C000-000000000046}"), current);
  checks.check("InetDownloader answers for its own default interface",
               query(downloader, "{F0E50D80-3E60-4D75-8304-5E7117095C46}") != nullptr);
  for (const char* foreign :
       {"{980B1BB5-F017-4422-B432-8D99720B1515}", "{1715DE97-579C-46D9-8AF9-D4A0B934CD30}"}) {
    checks.equal(std::string("InetDownloader refuses Base's ") + foreign,
                 query(downloader, foreign), static_cast<void*>(nullptr));
  }
}

struct SinkCase {
  const char* clsid;
  const char* iid;
  bool accepted;
};

void checkConnectionPoints(Checks& checks) {
  const std::vector<SinkCase> cases = {
      {kBase, "{A28959C2-D3C3-4521-A79A-17712D8DAB48}", true},
      {kBase, "{1FC3E967-0ACC-40EE-8196-A2A6D47EC838}", true},
      {kBase, "{98ADCF13-210F-429D-B39D-30FBF67FB57C}", true},
      {kBase, "{0A8B740E-A370-4D56-8674-0669E2AC0257}", false},
      {kInetDownloader, "{0A8B740E-A370-4D56-8674-0669E2AC0257}", true},
      {kInetDownloader, "{A28959C2-D3C3-4521-A79A-17712D8DAB48}", false},
  };
  for (const auto& c : cases) {
    const std::string label =
        std::string(c.clsid == kBase ? "Base" : "InetDownloader") + " events under " + c.iid;
    IConnectionPointContainer* container = nullptr;
    CoCreateInstance(guidOf(c.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IConnectionPointContainer,
                     reinterpret_cast<void**>(&container));
    checks.check(label + ": a connection point container", container != nullptr);
    if (!container)
      continue;
    IConnectionPoint* point = nullptr;
    const HRESULT found = container->FindConnectionPoint(guidOf(c.iid), &point);
    checks.equal(label + ": found", found, c.accepted ? S_OK : CONNECT_E_NOCONNECTION);
    if (point) {
      NullSink sink;
      DWORD cookie = 0;
      checks.equal(label + ": advise", point->Advise(&sink, &cookie), S_OK);
      checks.equal(label + ": unadvise", point->Unadvise(cookie), S_OK);
      checks.equal(label + ": sink released", sink.references, ULONG{1});
      point->Release();
    }
    container->Release();
  }
}

// The container lists its one outgoing interface, under the current identifier.
void checkEnumeration(Checks& checks, IUnknown* base) {
  IConnectionPointContainer* container = nullptr;
  base->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  IEnumConnectionPoints* points = nullptr;
  if (container)
    container->EnumConnectionPoints(&points);
  checks.check("Base enumerates its connection points", points != nullptr);
  if (points) {
    IConnectionPoint* point[2] = {};
    ULONG fetched = 0;
    checks.equal("one connection point", points->Next(2, point, &fetched), S_FALSE);
    checks.equal("one fetched", fetched, ULONG{1});
    IID iid{};
    if (point[0] && SUCCEEDED(point[0]->GetConnectionInterface(&iid))) {
      checks.equal("under the current event interface", fromGuid(iid),
                   Guid::of("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"));
    }
    if (point[0])
      point[0]->Release();
    checks.equal("nothing after it", points->Next(1, point, nullptr), S_FALSE);
    points->Release();
  }
  if (container)
    container->Release();
}

// The connection point lists the sinks connected when it was asked, in the order they came, each
// with its cookie; the list stays as it was while sinks come and go, and every reference it hands
// out is the client's to release.
void checkConnectionEnumeration(Checks& checks, IUnknown* base) {
  IConnectionPointContainer* container = nullptr;
  base->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  IConnectionPoint* point = nullptr;
  if (container)
    container->FindConnectionPoint(guidOf("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"), &point);
  if (container)
    container->Release();
  checks.check("Base's connection point is found", point != nullptr);
  if (!point)
    return;
  IEnumConnections* none = nullptr;
  CONNECTDATA data[3] = {};
  ULONG fetched = 9;
  checks.equal("no sink: enumerated", point->EnumConnections(&none), S_OK);
  if (none) {
    checks.equal("no sink: nothing listed", none->Next(1, data, &fetched), S_FALSE);
    checks.equal("no sink: none fetched", fetched, ULONG{0});
    none->Release();
  }
  NullSink first, second;
  DWORD cookies[2] = {};
  point->Advise(&first, &cookies[0]);
  point->Advise(&second, &cookies[1]);
  IEnumConnections* listed = nullptr;
  checks.equal("two sinks: enumerated", point->EnumConnections(&listed), S_OK);
  point->Unadvise(cookies[0]);
  if (listed) {
    checks.equal("two sinks: both listed", listed->Next(3, data, &fetched), S_FALSE);
    checks.equal("two sinks: two fetched", fetched, ULONG{2});
    checks.check("two sinks: in order, with their cookies",
                 data[0].pUnk == &first && data[0].dwCookie == cookies[0] &&
                     data[1].pUnk == &second && data[1].dwCookie == cookies[1]);
    for (ULONG i = 0; i < fetched; ++i)
      data[i].pUnk->Release();
    IEnumConnections* copy = nullptr;
    listed->Reset();
    checks.equal("skip past the first", listed->Skip(1), S_OK);
    checks.equal("clone", listed->Clone(&copy), S_OK);
    if (copy) {
      checks.equal("the clone goes on from the same place", copy->Next(1, data, nullptr), S_OK);
      checks.check("the clone's next is the second sink", data[0].pUnk == &second);
      data[0].pUnk->Release();
      checks.equal("the clone is at the end", copy->Skip(1), S_FALSE);
      copy->Release();
    }
    listed->Release();
  }
  point->Unadvise(cookies[1]);
  checks.equal("no place for the answer", point->EnumConnections(nullptr), E_POINTER);
  point->Release();
  checks.check("every sink reference is given back",
               first.references == 1 && second.references == 1);
}

void checkClassInfo(Checks& checks, IUnknown* base) {
  IProvideClassInfo2* provide = nullptr;
  base->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&provide));
  checks.check("Base provides its class information", provide != nullptr);
  if (!provide)
    return;
  GUID events{};
  checks.equal("default source interface",
               SUCCEEDED(provide->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))
                   ? fromGuid(events)
                   : Guid{},
               Guid::of("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"));
  ITypeInfo* info = nullptr;
  TYPEATTR* attributes = nullptr;
  if (SUCCEEDED(provide->GetClassInfo(&info)) && SUCCEEDED(info->GetTypeAttr(&attributes))) {
    checks.equal("class information names Base", fromGuid(attributes->guid), Guid::of(kBase));
    info->ReleaseTypeAttr(attributes);
  } else {
    checks.check("class information is readable", false);
  }
  if (info)
    info->Release();
  provide->Release();
}

}  // namespace

void checkInterfaces(Checks& checks) {
  IUnknown* base = create(kBase);
  IUnknown* downloader = create(kInetDownloader);
  checks.check("both classes are created", base && downloader);
  if (base && downloader) {
    checkAliases(checks, base, downloader);
    checkClassInfo(checks, base);
    checkEnumeration(checks, base);
    checkConnectionEnumeration(checks, base);
  }
  if (base)
    base->Release();
  if (downloader)
    downloader->Release();
  checkConnectionPoints(checks);
}

}  // namespace hv::client
