// Base on a page as a real container hosts it: the system's ActiveX host window creates the
// control, activates it in place and shows it. The page then scripts a download through the
// hosted control and an install whose installer fails, and the window is photographed from the
// screen before, during and after: the banner must show, the bar must be filled as far as its
// position says, and the status label must turn red on the error. The photographs stay in the
// output folder as bitmaps. Prints "N passed, N failed" and exits with the failure count.
//
//   hvdetector_atl_container OUTPUT-FOLDER DOWNLOAD-URL FAILING-INSTALLER-URL
#include <windows.h>
// The common controls need the base types first.
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "box_watcher.h"
#include "client_checks.h"
#include "panel_windows.h"

namespace hv::client {
namespace {

using AxWinInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

// An export of `module` as the function type it has.
template <typename Function>
Function exported(HMODULE module, const char* name) {
  if (!module)
    return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

constexpr int kWidth = 361;
constexpr int kHeight = 120;
constexpr COLORREF kRed = RGB(255, 0, 0);

// Runs the queue for a while, as the page's browser does between scripts.
void pumpFor(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0)
      return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

// Pumps until `done` or the time is up; whether it was done.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0)
      return false;
    pumpFor(20);
  }
  return true;
}

// What the screen shows of a window now, as 0x00RRGGBB pixels.
struct Photo {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;

  COLORREF at(int x, int y) const {
    const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }
  // Pixels darker than mid-grey: the banner's, never the surface's or a page's.
  int darkIn(const RECT& area) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) {
        const COLORREF c = at(x, y);
        count += GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
      }
    return count;
  }
  int countIn(const RECT& area, COLORREF colour, bool equal) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        count += (at(x, y) == colour) == equal;
    return count;
  }
};

// Wine draws a window into memory of its own and hands it to the X server a little later, as the
// thread looks at its queue: the screen catches up with what was just painted. Nothing is taken
// off the queue here, so no handler runs inside a photograph.
void letTheScreenCatchUp() {
  for (int i = 0; i < 10; ++i) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    Sleep(20);
  }
}

Photo photograph(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  letTheScreenCatchUp();
  RECT r{};
  GetWindowRect(window, &r);
  Photo photo;
  photo.width = r.right - r.left;
  photo.height = r.bottom - r.top;
  photo.pixels.resize(static_cast<std::size_t>(photo.width) * photo.height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(BITMAPINFOHEADER), photo.width, -photo.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, photo.width, photo.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<std::uint32_t*>(bits), photo.pixels.size(), photo.pixels.begin());
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return photo;
}

bool save(const Photo& photo, const std::wstring& path) {
  const DWORD bytes = static_cast<DWORD>(photo.pixels.size() * 4);
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  file.bfSize = file.bfOffBits + bytes;
  const BITMAPINFOHEADER header{
      sizeof header, photo.width, -photo.height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out)
    return false;
  const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                       std::fwrite(&header, sizeof header, 1, out) == 1 &&
                       std::fwrite(photo.pixels.data(), 1, bytes, out) == bytes;
  return std::fclose(out) == 0 && written;
}

HRESULT call(IDispatch* base, const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = base->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr))
    return hr;
  DISPID put = DISPID_PROPERTYPUT;
  const bool isPut = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{args.data(), isPut ? &put : nullptr, static_cast<UINT>(args.size()),
                    isPut ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  hr = base->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
  VariantClear(&result);
  for (auto& arg : args)
    VariantClear(&arg);
  return hr;
}

VARIANT text(const std::wstring& value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(value.c_str());
  return v;
}

// The photograph taken while the bar is on its way, between a third and four fifths.
struct Midway {
  HWND window = nullptr;
  HWND bar = nullptr;
  bool taken = false;
  int position = 0;
  Photo photo;
} midway;

void CALLBACK photographMidway(HWND, UINT, UINT_PTR, DWORD) {
  if (midway.taken || !midway.bar)
    return;
  const int position = static_cast<int>(SendMessageW(midway.bar, PBM_GETPOS, 0, 0));
  if (position < 30 || position > 80)
    return;
  midway.photo = photograph(midway.window);
  midway.position = position;
  midway.taken = true;
}

// Where a child of the panel lies within the photographed window.
RECT placeOf(HWND window, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  RECT frame{};
  GetWindowRect(window, &frame);
  OffsetRect(&r, -frame.left, -frame.top);
  return r;
}

// The fill's right edge on the bar's middle row: the last pixel inside its border that differs
// from the empty trough, which a bar short of full still shows at its right end.
int fillEnd(const Photo& photo, const RECT& bar) {
  const int y = (bar.top + bar.bottom) / 2;
  const COLORREF trough = photo.at(bar.right - 3, y);
  int end = bar.left;
  for (int x = bar.left + 2; x < bar.right - 2; ++x) {
    if (photo.at(x, y) != trough)
      end = x;
  }
  return end;
}

int run(Checks& checks, const std::wstring& folder, const std::wstring& downloadUrl,
        const std::wstring& installerUrl) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  const auto init = exported<AxWinInit>(atl, "AtlAxWinInit");
  const auto getControl = exported<AxGetControl>(atl, "AtlAxGetControl");
  checks.check("the system's ActiveX host window is there", init && getControl && init());
  if (!init || !getControl)
    return 1;
  HWND page =
      CreateWindowExW(0, L"STATIC", L"HVDetector page", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40,
                      40, kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"HVDetector.Base", WS_CHILD | WS_VISIBLE, 0, 0,
                              kWidth, kHeight, page, nullptr, nullptr, nullptr);
  IUnknown* control = nullptr;
  if (host)
    getControl(host, &control);
  IDispatch* base = nullptr;
  if (control)
    control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&base));
  checks.check("the host window creates Base", base != nullptr);
  if (!base)
    return 1;
  pumpFor(500);
  HWND window = nullptr;
  for (HWND w = GetWindow(host, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    window = className(w) == "HVDetectorControl" ? w : window;
  checks.check("Base is active in place in a window of its own", window != nullptr);
  HWND bar = window ? FindWindowExW(window, nullptr, PROGRESS_CLASSW, nullptr) : nullptr;
  checks.check("its progress bar is a window inside it", bar != nullptr);
  if (!window || !bar)
    return 1;

  const Photo before = photograph(window);
  save(before, folder + L"\\before.bmp");
  checks.check("before: the banner shows", before.darkIn({0, 4, 354, 38}) > 4000);
  checks.equal("before: the surface is white beside the frame", before.at(358, 60),
               RGB(255, 255, 255));
  const RECT barPlace = placeOf(window, bar);
  checks.check("before: the bar is empty", fillEnd(before, barPlace) <= barPlace.left + 4);

  // The whole body is copied while the control handles one notice, pumping as it goes, as a
  // browser's page sees it: the photograph is taken from a timer those pumps run.
  midway.window = window;
  midway.bar = bar;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &photographMidway);
  checks.equal("the page starts a download",
               call(base, L"Download", DISPATCH_METHOD, {text(L""), text(downloadUrl)}), S_OK);
  pumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) == 100; }, 20000);
  KillTimer(nullptr, timer);
  checks.check("during: the bar was photographed on its way", midway.taken);
  if (midway.taken) {
    save(midway.photo, folder + L"\\during.bmp");
    const int expected = barPlace.left + (barPlace.right - barPlace.left) * midway.position / 100;
    const int drawn = fillEnd(midway.photo, barPlace);
    checks.check("during: the bar is filled to " + std::to_string(midway.position) + "% (edge at " +
                     std::to_string(drawn) + ", expected about " + std::to_string(expected) + ")",
                 drawn >= expected - 6 && drawn <= expected + 6);
  }
  pumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) == 100; }, 20000);

  BoxWatcher watcher;
  // The site's installer is the recording test program, failing as asked.
  SetEnvironmentVariableW(L"HVDETECTOR_EXIT", L"1");
  checks.equal("the page names the failing installer",
               call(base, L"DownloadLocation", DISPATCH_PROPERTYPUT, {text(installerUrl)}), S_OK);
  checks.equal("the page asks for the install", call(base, L"INSTALL", DISPATCH_METHOD, {}), S_OK);
  HWND label = childNamed(window, "lblDownload");
  std::vector<SeenBox> boxes;
  // The user is working in another window of the browser: the box still belongs to Base's page.
  HWND elsewhere = CreateWindowExW(0, L"STATIC", L"another page", WS_POPUP | WS_VISIBLE, 500, 40,
                                   100, 100, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(elsewhere);
  const bool failed = pumpUntil(
      [&] {
        for (const auto& box : watcher.take())
          boxes.push_back(box);
        return label && windowText(label) == "Install error" && !boxes.empty();
      },
      30000);
  checks.check("after: the install failed with its box", failed);
  checks.check("after: the box belongs to the page Base is on",
               !boxes.empty() && boxes.front().owner == GetAncestor(window, GA_ROOT));
  checks.check("after: Base is still active in its window",
               IsWindow(window) && IsWindowVisible(window));
  pumpFor(300);
  const Photo after = photograph(window);
  save(after, folder + L"\\after.bmp");
  checks.check("after: the status label is red", after.countIn({8, 56, 240, 73}, kRed, true) > 30);
  checks.check("after: the banner still shows", after.darkIn({0, 4, 354, 38}) > 4000);

  base->Release();
  control->Release();
  DestroyWindow(elsewhere);
  DestroyWindow(page);
  pumpFor(100);
  return 0;
}

}  // namespace
}  // namespace hv::client

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::printf("usage: hvdetector_atl_container OUTPUT-FOLDER DOWNLOAD-URL INSTALLER-URL\n");
    return 2;
  }
  hv::client::Checks checks;
  if (FAILED(OleInitialize(nullptr))) {
    std::printf("FAIL: OLE does not start\n0 passed, 1 failed\n");
    return 1;
  }
  hv::client::run(checks, argv[1], argv[2], argv[3]);
  OleUninitialize();
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
