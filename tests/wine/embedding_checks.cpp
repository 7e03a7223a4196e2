// Both controls in a container of the test's own: the interfaces a container asks for and the
// ones it must be refused, the stored status and extent, persistence that keeps nothing, in-place
// activation and deactivation twice with a resize between, UI activation, and the panel drawn
// through the view into a bitmap, read back pixel by pixel.
#include <windows.h>
// The common controls need the base types first.
#include <commctrl.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "client_checks.h"
#include "panel_windows.h"

namespace hv::client {
namespace {

constexpr const char* kBase = "{60246658-5626-449F-8701-66D278AD2EB2}";
constexpr const char* kInetDownloader = "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";

// The container's side of in-place activation, counting what the control tells it.
class TestSite : public IOleClientSite, public IOleInPlaceSite {
 public:
  explicit TestSite(HWND window) : window_(window) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *object = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *object = static_cast<IOleInPlaceSite*>(this);
    else
      *object = nullptr;
    if (!*object)
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++activated;
    if (activateFromActivate && activated == 1)
      activateFromActivate->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &place);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override {
    ++uiActivated;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO) override {
    if (deactivateFromContext)
      deactivateFromContext->InPlaceDeactivate();
    *frame = nullptr;
    *doc = nullptr;
    *position = place;
    *clip = place;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
    ++uiDeactivated;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++deactivated;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  ULONG references = 1;
  int activated = 0, uiActivated = 0, uiDeactivated = 0, deactivated = 0;
  RECT place{10, 20, 371, 140};
  // A careless container calls back into the control from inside its own answers.
  IOleInPlaceObject* deactivateFromContext = nullptr;
  IOleObject* activateFromActivate = nullptr;

 private:
  HWND window_;
};

template <typename Interface>
Interface* as(IUnknown* object, REFIID iid) {
  void* answer = nullptr;
  object->QueryInterface(iid, &answer);
  return static_cast<Interface*>(answer);
}

IUnknown* create(const char* clsid) {
  IUnknown* object = nullptr;
  CoCreateInstance(guidOf(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                   reinterpret_cast<void**>(&object));
  return object;
}

void checkInterfaceAnswers(Checks& checks, IUnknown* base) {
  const IID* answered[] = {&IID_IOleObject,
                           &IID_IOleWindow,
                           &IID_IOleInPlaceObject,
                           &IID_IOleInPlaceActiveObject,
                           &IID_IOleControl,
                           &IID_IViewObject,
                           &IID_IViewObject2,
                           &IID_IViewObjectEx,
                           &IID_IPersist,
                           &IID_IPersistStreamInit,
                           &IID_IPersistPropertyBag,
                           &IID_IPersistStorage};
  int found = 0;
  for (const IID* iid : answered) {
    if (IUnknown* answer = as<IUnknown>(base, *iid)) {
      ++found;
      answer->Release();
    }
  }
  checks.equal("Base answers every embedding interface", found, 12);
  const IID* refused[] = {
      &IID_IQuickActivate, &IID_IDataObject,     &IID_IOleCache, &IID_IOleInPlaceObjectWindowless,
      &IID_IPersistStream, &IID_IRunnableObject, &IID_IOleLink};
  for (const IID* iid : refused) {
    void* answer = reinterpret_cast<void*>(1);
    const HRESULT hr = base->QueryInterface(*iid, &answer);
    checks.check("an interface Base does not have is refused and nulled",
                 hr == E_NOINTERFACE && answer == nullptr);
  }
}

void checkStatusAndPersistence(Checks& checks, IUnknown* object, DWORD misc, const char* name) {
  IOleObject* ole = as<IOleObject>(object, IID_IOleObject);
  if (!ole)
    return;
  DWORD status = 0;
  ole->GetMiscStatus(DVASPECT_CONTENT, &status);
  checks.equal(std::string(name) + " MiscStatus", status, misc);
  IPersistStreamInit* stream = as<IPersistStreamInit>(object, IID_IPersistStreamInit);
  IPersistPropertyBag* bag = as<IPersistPropertyBag>(object, IID_IPersistPropertyBag);
  if (stream && bag) {
    IStream* saved = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &saved);
    checks.check(std::string(name) + " persistence keeps nothing and fails no container",
                 stream->InitNew() == S_OK && stream->Save(saved, TRUE) == S_OK &&
                     stream->Load(saved) == S_OK && stream->IsDirty() == S_FALSE &&
                     bag->InitNew() == S_OK && bag->Load(nullptr, nullptr) == S_OK);
    STATSTG stat{};
    saved->Stat(&stat, STATFLAG_NONAME);
    checks.equal(std::string(name) + " saves no byte", stat.cbSize.QuadPart, 0ull);
    CLSID clsid{};
    stream->GetClassID(&clsid);
    checks.equal(std::string(name) + " persists under its class", fromGuid(clsid),
                 Guid::of(misc == 0x20191 ? kBase : kInetDownloader));
    saved->Release();
  }
  if (stream)
    stream->Release();
  if (bag)
    bag->Release();
  ole->Release();
}

// A 32-bit top-down bitmap the panel is drawn into.
struct Canvas {
  Canvas(int width, int height) : w(width), h(height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc = CreateCompatibleDC(nullptr);
    bitmap =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    previous = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  std::uint32_t at(int x, int y) const {
    GdiFlush();
    return pixels[y * w + x] & 0xFFFFFF;
  }
  // Pixels in the rectangle that are not white.
  int coloured(int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        count += at(x, y) != 0xFFFFFF;
    return count;
  }
  int w, h;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  std::uint32_t* pixels = nullptr;
};

constexpr std::uint32_t kBarFill = 0x0F7A84;  // as a DIB stores it: 0xRRGGBB

void checkDrawing(Checks& checks, IUnknown* base, HWND control) {
  IViewObject* view = as<IViewObject>(base, IID_IViewObject);
  if (!view)
    return;
  const Canvas canvas(361, 120);
  const RECTL bounds{0, 0, 361, 120};
  checks.equal("the view draws",
               view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds,
                          nullptr, nullptr, 0),
               S_OK);
  checks.equal("the surface is white outside the frame", canvas.at(358, 117), 0xFFFFFFu);
  checks.check("the banner is drawn", canvas.coloured(0, 4, 354, 38) > 2000);
  checks.check("the status label is drawn", canvas.coloured(8, 56, 240, 73) > 30);
  checks.check("an empty bar shows no fill", canvas.at(20, 92) != kBarFill);
  // The bar's own window, half full: the view draws it as it stands.
  HWND bar = FindWindowExW(control, nullptr, PROGRESS_CLASSW, nullptr);
  checks.check("the progress bar is a window of the control", bar != nullptr);
  if (bar) {
    SendMessageW(bar, PBM_SETPOS, 50, 0);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr,
               nullptr, 0);
    checks.check("half the bar is filled", canvas.at(90, 92) == kBarFill &&
                                               canvas.at(172, 92) == kBarFill &&
                                               canvas.at(180, 92) != kBarFill);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
  }
  // Bounds far beyond the device: the visible corner is drawn, promptly, and nothing fails.
  for (const RECTL huge : {RECTL{0, 0, 20, 100000000}, RECTL{0, 0, 100000000, 100000000}}) {
    checks.equal(
        "the view draws at " + std::to_string(huge.right) + " x " + std::to_string(huge.bottom),
        view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &huge, nullptr,
                   nullptr, 0),
        S_OK);
  }
  checks.equal("a huge panel's corner is its white surface", canvas.at(5, 5), 0xFFFFFFu);
  checks.equal("another aspect is refused",
               view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr,
                          nullptr, 0),
               DV_E_DVASPECT);
  view->Release();
}

void checkActivation(Checks& checks, IUnknown* base, HWND container) {
  IOleObject* ole = as<IOleObject>(base, IID_IOleObject);
  IOleInPlaceObject* inPlace = as<IOleInPlaceObject>(base, IID_IOleInPlaceObject);
  if (!ole || !inPlace)
    return;
  TestSite site(container);
  ole->SetClientSite(&site);
  SIZEL extent{};
  ole->GetExtent(DVASPECT_CONTENT, &extent);
  checks.check("the extent is the design size in HIMETRIC", extent.cx == 9551 && extent.cy == 3175);
  for (int round = 1; round <= 2; ++round) {
    const std::string label = "activation " + std::to_string(round);
    checks.equal(label + ": in place",
                 ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container, &site.place),
                 S_OK);
    HWND window = nullptr;
    inPlace->GetWindow(&window);
    checks.check(label + ": a window in the container's",
                 window && IsWindow(window) && GetParent(window) == container);
    RECT placed{};
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&placed), 2);
    checks.check(label + ": at the place given", EqualRect(&placed, &site.place) != 0);
    const RECT larger{0, 0, 722, 240};
    inPlace->SetObjectRects(&larger, &larger);
    RECT client{};
    GetClientRect(window, &client);
    checks.check(label + ": resized", client.right == 722 && client.bottom == 240);
    if (round == 1) {
      inPlace->SetObjectRects(&site.place, &site.place);
      checkDrawing(checks, base, window);
    }
    checks.equal(label + ": UI-activated",
                 ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, container, &site.place), S_OK);
    checks.equal(label + ": the container was told once", site.uiActivated, round);
    checks.equal(label + ": deactivated", inPlace->InPlaceDeactivate(), S_OK);
    checks.check(label + ": the container was told of both",
                 site.uiDeactivated == round && site.deactivated == round);
    checks.check(label + ": the window is gone", !IsWindow(window));
  }
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
  checks.equal("the container's site is given back", site.references, ULONG{1});
  inPlace->Release();
  ole->Release();
}

// A container that calls back from inside its answers, or destroys its window while the control
// is active: no crash, every reference it gave is given back, and the panel's windows survive.
void checkReentrantContainer(Checks& checks, IUnknown* base) {
  IOleObject* ole = as<IOleObject>(base, IID_IOleObject);
  IOleInPlaceObject* inPlace = as<IOleInPlaceObject>(base, IID_IOleInPlaceObject);
  const auto parked = parkingWindows();
  if (!ole || !inPlace || parked.size() != 1)
    return;
  const std::size_t children = childWindows(parked[0]).size();
  HWND container = CreateWindowExW(0, L"STATIC", L"HVDetector careless container",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 800,
                                   300, nullptr, nullptr, nullptr, nullptr);
  for (const int round : {0, 1, 2}) {
    const char* labels[] = {"deactivating from inside GetWindowContext",
                            "activating again from inside OnInPlaceActivate",
                            "destroying its window while the control is active"};
    const std::string label = std::string("a container ") + labels[round];
    TestSite site(container);
    if (round == 0)
      site.deactivateFromContext = inPlace;
    if (round == 1)
      site.activateFromActivate = ole;
    ole->SetClientSite(&site);
    const HRESULT hr = ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, container, &site.place);
    checks.check(label + ": activation " + (round == 0 ? "fails" : "succeeds"),
                 round == 0 ? FAILED(hr) : SUCCEEDED(hr));
    if (round == 2) {
      DestroyWindow(container);
      container = nullptr;
      checks.equal(label + ": the panel's windows are parked again", childWindows(parked[0]).size(),
                   children);
    }
    inPlace->InPlaceDeactivate();
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    checks.equal(label + ": the site's references are given back", site.references, ULONG{1});
    checks.equal(label + ": the panel keeps its windows", childWindows(parked[0]).size(), children);
  }
  inPlace->Release();
  ole->Release();
}

// The downloader takes part in activation without a window and never becomes UI-active.
void checkInvisible(Checks& checks, IUnknown* downloader, HWND container) {
  IOleObject* ole = as<IOleObject>(downloader, IID_IOleObject);
  IOleInPlaceObject* inPlace = as<IOleInPlaceObject>(downloader, IID_IOleInPlaceObject);
  if (!ole || !inPlace)
    return;
  TestSite site(container);
  ole->SetClientSite(&site);
  checks.equal("InetDownloader activates",
               ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, container, &site.place), S_OK);
  HWND window = reinterpret_cast<HWND>(1);
  checks.check("InetDownloader shows no window",
               inPlace->GetWindow(&window) == E_FAIL && window == nullptr);
  checks.equal("InetDownloader is never UI-active", site.uiActivated, 0);
  inPlace->InPlaceDeactivate();
  ole->SetClientSite(nullptr);
  inPlace->Release();
  ole->Release();
}

// A careless container: calls out of order, without the site or the places they need, and
// null pointers where answers go. Each is refused or harmless, never a crash.
void checkCarelessContainer(Checks& checks, IUnknown* base) {
  IOleObject* ole = as<IOleObject>(base, IID_IOleObject);
  IOleInPlaceObject* inPlace = as<IOleInPlaceObject>(base, IID_IOleInPlaceObject);
  IViewObject2* view = as<IViewObject2>(base, IID_IViewObject2);
  if (!ole || !inPlace || !view)
    return;
  SIZEL zero{0, 0};
  SIZEL absurd{LONG_MAX, LONG_MAX};
  const RECTL bounds{0, 0, 10, 10};
  const RECTL endless{0, 0, LONG_MAX, LONG_MAX};
  const RECTL inverted{10, 10, 0, 0};
  const RECT place{0, 0, 10, 10};
  const HDC screen = GetDC(nullptr);
  const struct {
    const char* label;
    HRESULT hr;
    bool refused;
  } calls[] = {
      {"activation without a client site",
       ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), true},
      {"deactivation while inactive", inPlace->InPlaceDeactivate(), false},
      {"UI deactivation while inactive", inPlace->UIDeactivate(), false},
      {"new places while inactive", inPlace->SetObjectRects(&place, nullptr), false},
      {"no places", inPlace->SetObjectRects(nullptr, nullptr), true},
      {"no window to tell", inPlace->GetWindow(nullptr), true},
      {"an empty extent", ole->SetExtent(DVASPECT_CONTENT, &zero), true},
      {"an absurd extent", ole->SetExtent(DVASPECT_CONTENT, &absurd), true},
      {"drawing at an absurd size",
       view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, screen, &endless, nullptr,
                  nullptr, 0),
       true},
      {"drawing into inverted bounds",
       view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, screen, &inverted, nullptr,
                  nullptr, 0),
       true},
      {"no extent", ole->GetExtent(DVASPECT_CONTENT, nullptr), true},
      {"no status", ole->GetMiscStatus(DVASPECT_CONTENT, nullptr), true},
      {"drawing into no device",
       view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds, nullptr,
                  nullptr, 0),
       true},
      {"drawing nowhere while inactive",
       view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, screen, nullptr, nullptr,
                  nullptr, 0),
       true},
      {"no view extent", view->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr), true},
      {"an unknown verb", ole->DoVerb(-77, nullptr, nullptr, 0, nullptr, nullptr), true},
      {"closing twice", (ole->Close(OLECLOSE_NOSAVE), ole->Close(OLECLOSE_NOSAVE)), false},
  };
  for (const auto& call : calls)
    checks.check(std::string("a careless container: ") + call.label + " is " +
                     (call.refused ? "refused" : "harmless"),
                 call.refused ? FAILED(call.hr) : SUCCEEDED(call.hr));
  ReleaseDC(nullptr, screen);
  view->Release();
  inPlace->Release();
  ole->Release();
}

}  // namespace

void checkEmbedding(Checks& checks) {
  HWND container = CreateWindowExW(0, L"STATIC", L"HVDetector test container",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 800,
                                   300, nullptr, nullptr, nullptr, nullptr);
  IUnknown* base = create(kBase);
  IUnknown* downloader = create(kInetDownloader);
  checks.check("a container window and both controls", container && base && downloader);
  if (container && base && downloader) {
    checkInterfaceAnswers(checks, base);
    checkCarelessContainer(checks, base);
    checkStatusAndPersistence(checks, base, 0x20191, "Base");
    checkStatusAndPersistence(checks, downloader, 0x24591, "InetDownloader");
    checkActivation(checks, base, container);
    checkReentrantContainer(checks, base);
    checkInvisible(checks, downloader, container);
  }
  if (base)
    base->Release();
  if (downloader)
    downloader->Release();
  if (container)
    DestroyWindow(container);
}

}  // namespace hv::client
