#include "GuiHost.h"

// After windows.h, which declares the types it uses.
#include <commctrl.h>

#include "PngFile.h"

namespace halvern::test {

bool TEngineApi::Load(const char* Path) {
  Module = LoadLibraryA(Path);
  if (!Module) return false;
  bool All = true;
#define HV_API_BIND(Ret, Name, Params)                                                            \
  Name = reinterpret_cast<HV_PFN_##Name>(reinterpret_cast<void*>(GetProcAddress(Module, #Name))); \
  All = All && Name != nullptr;
  HV_EXPORT_LIST(HV_API_BIND)
#undef HV_API_BIND
  return All;
}

void TEngineApi::Free() {
  if (Module) FreeLibrary(Module);
  Module = nullptr;
}

std::string TEngineApi::Options(uint32_t Handle) const {
  int32_t Size = 0;
  EngineGetOptions(Handle, nullptr, &Size);
  std::string Text(static_cast<size_t>(Size > 0 ? Size : 0), '\0');
  if (Size > 0 && EngineGetOptions(Handle, Text.data(), &Size) != -1) return {};
  return Text;
}

namespace {

constexpr wchar_t kHostClass[] = L"HalvernGuiTestHost";

ATOM RegisterHostClass() {
  static const ATOM Atom = [] {
    WNDCLASSEXW Wc{};
    Wc.cbSize = sizeof(Wc);
    Wc.lpfnWndProc = &DefWindowProcW;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    Wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    Wc.lpszClassName = kHostClass;
    return RegisterClassExW(&Wc);
  }();
  return Atom;
}

SIZE FrameFor(int ClientWidth, int ClientHeight) {
  RECT R{0, 0, ClientWidth, ClientHeight};
  AdjustWindowRectEx(&R, WS_OVERLAPPEDWINDOW, FALSE, 0);
  return {R.right - R.left, R.bottom - R.top};
}

}  // namespace

THostWindow::THostWindow(int ClientWidth, int ClientHeight) {
  RegisterHostClass();
  const SIZE S = FrameFor(ClientWidth, ClientHeight);
  FWnd = CreateWindowExW(0, kHostClass, L"Halvern page host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                         S.cx, S.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(FWnd, SW_SHOW);
  SetForegroundWindow(FWnd);
  UpdateWindow(FWnd);
  PumpMessages();
}

THostWindow::~THostWindow() {
  Destroy();
}

void THostWindow::Destroy() {
  if (FWnd) DestroyWindow(FWnd);
  FWnd = nullptr;
  PumpMessages();
}

void THostWindow::ResizeClient(int Width, int Height) {
  const SIZE S = FrameFor(Width, Height);
  SetWindowPos(FWnd, nullptr, 0, 0, S.cx, S.cy, SWP_NOMOVE | SWP_NOZORDER);
  PumpMessages();
}

void PumpMessages() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

TMessageBoxCloser* TMessageBoxCloser::FArmed = nullptr;

TMessageBoxCloser::TMessageBoxCloser() {
  FArmed = this;
  FTimer = SetTimer(nullptr, 0, 50, &TMessageBoxCloser::OnTimer);
}

TMessageBoxCloser::~TMessageBoxCloser() {
  KillTimer(nullptr, FTimer);
  FArmed = nullptr;
}

void CALLBACK TMessageBoxCloser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  TMessageBoxCloser* Self = FArmed;
  if (!Self || Self->Seen) return;
  HWND Dialog = FindWindowW(L"#32770", L"\u63D0\u793A");  // 提示
  if (!Dialog) return;
  Self->Seen = true;
  Self->Owner = GetWindow(Dialog, GW_OWNER);
  // The message is the dialog's static control that has text (the icon's has none).
  EnumChildWindows(Dialog, &TMessageBoxCloser::TakeText, reinterpret_cast<LPARAM>(&Self->Text));
  PostMessageW(Dialog, WM_COMMAND, IDOK, 0);
}

BOOL CALLBACK TMessageBoxCloser::TakeText(HWND Child, LPARAM Param) {
  wchar_t Class[32] = {};
  GetClassNameW(Child, Class, 32);
  if (lstrcmpiW(Class, L"Static") != 0) return TRUE;
  std::wstring Text = WindowText(Child);
  if (Text.empty()) return TRUE;
  *reinterpret_cast<std::wstring*>(Param) = Text;
  return FALSE;
}

std::wstring WindowText(HWND Wnd) {
  std::wstring Text(static_cast<size_t>(GetWindowTextLengthW(Wnd)) + 1, L'\0');
  Text.resize(static_cast<size_t>(GetWindowTextW(Wnd, Text.data(), static_cast<int>(Text.size()))));
  return Text;
}

std::vector<std::wstring> ListItems(HWND List) {
  std::vector<std::wstring> Items;
  const int Count = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
  for (int I = 0; I < Count; ++I) {
    wchar_t Buffer[256] = {};
    LVITEMW Item{};
    Item.pszText = Buffer;
    Item.cchTextMax = 256;
    SendMessageW(List, LVM_GETITEMTEXTW, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&Item));
    Items.emplace_back(Buffer);
  }
  return Items;
}

int ListSelected(HWND List) {
  return static_cast<int>(SendMessageW(List, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListSelect(HWND List, int Index) {
  ListView_SetItemState(List, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(List, Index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

HWND FindChild(HWND Parent, const wchar_t* Class, const wchar_t* Text) {
  return FindWindowExW(Parent, nullptr, Class, Text);
}

bool SaveScreenshot(HWND Wnd, const std::string& Path) {
  // The client area only: without a window manager nobody draws the frame.
  RECT R{};
  GetClientRect(Wnd, &R);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&R), 2);
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return false;
  HDC Screen = GetDC(nullptr);
  HDC Memory = CreateCompatibleDC(Screen);
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(Info.bmiHeader);
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H;  // top row first
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(Screen, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  HGDIOBJ Old = SelectObject(Memory, Bitmap);
  BitBlt(Memory, 0, 0, W, H, Screen, R.left, R.top, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> Rgb(static_cast<size_t>(W) * static_cast<size_t>(H) * 3);
  const auto* Bgra = static_cast<const uint8_t*>(Bits);
  for (size_t I = 0, N = static_cast<size_t>(W) * static_cast<size_t>(H); I < N; ++I) {
    Rgb[I * 3] = Bgra[I * 4 + 2];
    Rgb[I * 3 + 1] = Bgra[I * 4 + 1];
    Rgb[I * 3 + 2] = Bgra[I * 4];
  }
  SelectObject(Memory, Old);
  DeleteObject(Bitmap);
  DeleteDC(Memory);
  ReleaseDC(nullptr, Screen);
  return WritePng(Path, W, H, Rgb);
}

}  // namespace halvern::test
