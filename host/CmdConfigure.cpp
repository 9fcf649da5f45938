// halvern configure: shows a port's configuration page in a small dialog of this program, as a host
// application embeds it, and prints the options text the user confirmed.
//
//   halvern configure [--kind import|export] [--options TEXT]
//
// OK validates the page (the page itself says what is missing) and, when the entries are valid, prints
// the working port's options text and exits 0. Cancel or closing the window prints nothing and exits 1.
// The page needs a Windows host: elsewhere the command exits 2.
#include <ostream>
#include <string>

#include "host/Commands.h"
#include "host/HostOptions.h"
#include "platform/CodePage.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which declares the types it uses.
#include <shellapi.h>
#endif

namespace halvern::host {
namespace {

struct TConfigureArgs {
  int32_t Kind = ENGINE_PORT_IMPORT;
  bool HasOptions = false;
  std::string Options;  // GBK
};

// Returns ExitOk, or the status of a usage error already reported.
int ParseArgs(TCommandContext& C, TConfigureArgs& Args) {
  for (size_t I = 0; I < C.Args.size(); ++I) {
    const std::string& A = C.Args[I];
    if (A == "--kind" || A == "--options") {
      if (I + 1 == C.Args.size()) return UsageError(C.Err, A + " needs a value");
      const std::string& Value = C.Args[++I];
      if (A == "--options") {
        Args.HasOptions = true;
        Args.Options = platform::Utf8ToAnsi(Value);
      } else if (Value == "import") {
        Args.Kind = ENGINE_PORT_IMPORT;
      } else if (Value == "export") {
        Args.Kind = ENGINE_PORT_EXPORT;
      } else {
        return UsageError(C.Err, "--kind is import or export, not '" + Value + "'");
      }
    } else {
      return UsageError(C.Err, "configure does not take '" + A + "'");
    }
  }
  return ExitOk;
}

#ifdef _WIN32

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

int RunDialog(TCommandContext& C, uint32_t Port) {
  HINSTANCE Instance = GetModuleHandleW(nullptr);
  if (!RegisterClasses(Instance)) {
    C.Err << "halvern: cannot register the dialog's window classes\n";
    return ExitFailure;
  }
  TDialog D;
  D.Engine = &C.Engine;
  RECT Frame{0, 0, kPageWidth, kPageHeight + kButtonStrip};
  const DWORD Style = WS_OVERLAPPEDWINDOW;
  AdjustWindowRectEx(&Frame, Style, FALSE, WS_EX_CONTROLPARENT);
  const std::u16string Title = platform::AnsiToWide(C.Engine.Name());
  HWND Wnd = CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, reinterpret_cast<LPCWSTR>(Title.c_str()),
                             Style, CW_USEDEFAULT, CW_USEDEFAULT, Frame.right - Frame.left,
                             Frame.bottom - Frame.top, nullptr, nullptr, Instance, nullptr);
  if (!Wnd) {
    C.Err << "halvern: cannot create the dialog window\n";
    return ExitFailure;
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

  int Status = ExitOk;
  const int32_t Result = C.Engine.ConfigInit(Port, D.Area, 0, &D.Page);
  if (Result != ENGINE_OK) {
    C.Err << "halvern: ConfigInit failed with 0x" << std::hex << Result << std::dec << "\n";
    Status = ExitFailure;
  } else {
    C.Engine.ConfigFirst(D.Page);
    ShowWindow(Wnd, SW_SHOW);
    MSG Msg;
    while (!D.Done && GetMessageW(&Msg, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(Wnd, &Msg)) continue;
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    C.Engine.ConfigFina(D.Page);
    if (D.Accepted)
      C.Out << ToTerminal(D.Options) << "\n";
    else
      Status = ExitFailure;
  }
  SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  return Status;
}

// The narrow arguments went through the system's ANSI code page, which may not hold the text's
// characters: the value after the last "--options" is taken again from the wide command line.
void RereadOptions(TConfigureArgs& Args) {
  int Count = 0;
  LPWSTR* Argv = CommandLineToArgvW(GetCommandLineW(), &Count);
  if (!Argv) return;
  for (int I = 0; I + 1 < Count; ++I) {
    if (lstrcmpW(Argv[I], L"--options") != 0) continue;
    const std::wstring Value = Argv[I + 1];
    Args.Options = platform::WideToAnsi(std::u16string(Value.begin(), Value.end()));
  }
  LocalFree(Argv);
}

int RunConfigure(TCommandContext& C) {
  TConfigureArgs Args;
  if (const int Status = ParseArgs(C, Args); Status != ExitOk) return Status;
  if (Args.HasOptions) RereadOptions(Args);
  uint32_t Port = 0;
  if (C.Engine.EngineInit(Args.Kind, &Port) != ENGINE_OK) {
    C.Err << "halvern: the engine made no port\n";
    return ExitFailure;
  }
  if (Args.HasOptions) C.Engine.EngineSetOptions(Port, Args.Options.c_str());
  const int Status = RunDialog(C, Port);
  C.Engine.EngineFina(Port);
  return Status;
}

#else

int RunConfigure(TCommandContext& C) {
  TConfigureArgs Args;
  if (const int Status = ParseArgs(C, Args); Status != ExitOk) return Status;
  C.Err << "halvern: the configuration page needs a Windows host; run halvern.exe on Windows\n";
  return ExitUsage;
}

#endif

// Exit status: 0 confirmed, 1 cancelled or failed, 2 usage error or no Windows host.
const TCommandRegistration Configure({"configure", "[--kind K] [--options TEXT]",
                                      "edit a port on its page, print its options (Windows; else exit 2)",
                                      hoKind | hoOptions, &RunConfigure});

}  // namespace
}  // namespace halvern::host
