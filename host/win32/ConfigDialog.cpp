#include "host/ConfigDialog.h"

#include <windows.h>

#include <ostream>
#include <utility>

#include "platform/CodePage.h"

namespace halvern::host {
namespace {

constexpr wchar_t kDialogClass[] = L"HalvernConfigureDialog";
constexpr wchar_t kAreaClass[] = L"HalvernConfigureArea";
constexpr int kPageWidth = 503, kPageHeight = 247, kButtonStrip = 40;

struct TDialog {
  TEngineLib* Engine = nullptr;
  uint32_t Page = 0;
  HWND Area = nullptr, Ok = nullptr, Cancel = nullptr;
  bool Done = false;
  bool Accepted = false;
  std::string Options;  // GBK, the working port's once accepted
};

void Layout(TDialog& D, HWND Wnd) {
  RECT R{};
  GetClientRect(Wnd, &R);
  const int W = R.right, H = R.bottom;
  MoveWindow(D.Area, 0, 0, W, H > kButtonStrip ? H - kButtonStrip : 0, TRUE);
  MoveWindow(D.Ok, W - 170, H - 32, 75, 23, TRUE);
  MoveWindow(D.Cancel, W - 87, H - 32, 75, 23, TRUE);
}

void Confirm(TDialog& D) {
  // The page shows its own message when something is missing; the dialog then stays open.
  if (D.Engine->ConfigCheckSucceed(D.Page) != 0) return;
  const uint32_t Work = D.Engine->ConfigPort(D.Page);
  D.Options = TEngineLib::FetchText(
      [&](char* Buffer, int32_t* Size) { return D.Engine->EngineGetOptions(Work, Buffer, Size); });
  D.Accepted = true;
  D.Done = true;
}

LRESULT CALLBACK DialogProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* D = reinterpret_cast<TDialog*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (D) {
    switch (Msg) {
      case WM_COMMAND:
        if (LOWORD(WParam) == IDOK && D->Page) {
          Confirm(*D);
          return 0;
        }
        if (LOWORD(WParam) == IDCANCEL) {
          D->Done = true;
          return 0;
        }
        break;
      case WM_CLOSE: D->Done = true; return 0;
      case WM_SIZE: Layout(*D, Wnd); return 0;
      default: break;
    }
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

bool RegisterClasses(HINSTANCE Instance) {
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  Wc.hInstance = Instance;
  Wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  Wc.lpfnWndProc = &DialogProc;
  Wc.lpszClassName = kDialogClass;
  if (!RegisterClassExW(&Wc)) return false;
  // The area only holds the engine's page.
  Wc.lpfnWndProc = &DefWindowProcW;
  Wc.lpszClassName = kAreaClass;
  return RegisterClassExW(&Wc) != 0;
}

}  // namespace

bool ConfigDialogAvailable() {
  return true;
}

bool RunConfigDialog(TEngineLib& Engine, uint32_t Port, std::ostream& Err, std::string& Options) {
  HINSTANCE Instance = GetModuleHandleW(nullptr);
  if (!RegisterClasses(Instance)) {
    Err << "halvern: cannot register the dialog's window classes\n";
    return false;
  }
  TDialog D;
  D.Engine = &Engine;
  RECT Frame{0, 0, kPageWidth, kPageHeight + kButtonStrip};
  const DWORD Style = WS_OVERLAPPEDWINDOW;
  AdjustWindowRectEx(&Frame, Style, FALSE, WS_EX_CONTROLPARENT);
  const std::u16string Title = platform::AnsiToWide(Engine.Name());
  HWND Wnd = CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, reinterpret_cast<LPCWSTR>(Title.c_str()),
                             Style, CW_USEDEFAULT, CW_USEDEFAULT, Frame.right - Frame.left,
                             Frame.bottom - Frame.top, nullptr, nullptr, Instance, nullptr);
  if (!Wnd) {
    Err << "halvern: cannot create the dialog window\n";
    return false;
  }
  // WS_EX_CONTROLPARENT all the way down, so that Tab reaches the page's controls.
  D.Area = CreateWindowExW(WS_EX_CONTROLPARENT, kAreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                           0, kPageWidth, kPageHeight, Wnd, nullptr, Instance, nullptr);
  D.Ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 75,
                         23, Wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), Instance, nullptr);
  D.Cancel =
      CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 75,
                      23, Wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), Instance, nullptr);
  const HFONT Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(D.Ok, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  SendMessageW(D.Cancel, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&D));
  Layout(D, Wnd);

  const int32_t Result = Engine.ConfigInit(Port, D.Area, 0, &D.Page);
  if (Result != ENGINE_OK) {
    Err << "halvern: ConfigInit failed with 0x" << std::hex << Result << std::dec << "\n";
  } else {
    Engine.ConfigFirst(D.Page);
    ShowWindow(Wnd, SW_SHOW);
    MSG Msg;
    while (!D.Done && GetMessageW(&Msg, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(Wnd, &Msg)) continue;
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    Engine.ConfigFina(D.Page);
    if (D.Accepted) Options = std::move(D.Options);
  }
  SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  return D.Accepted;
}

}  // namespace halvern::host
