// A test host for the configuration page: loads the engine library by path as any host does, binds its
// exports by name, makes a top-level window for the page, closes message boxes as a user would, and
// takes screenshots. Windows only; everything runs on the test's thread, which owns the windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "halvern.h"

namespace halvern::test {

struct TEngineApi {
#define HV_API_FIELD(Ret, Name, Params) HV_PFN_##Name Name = nullptr;
  HV_EXPORT_LIST(HV_API_FIELD)
#undef HV_API_FIELD

  HMODULE Module = nullptr;

  // Loads the library at Path and binds every export; false when any is missing.
  bool Load(const char* Path);
  void Free();

  // The options text of a port handle (GBK), through the two-call rule.
  std::string Options(uint32_t Handle) const;
};

// A visible top-level window whose client area hosts the page.
class THostWindow {
 public:
  THostWindow(int ClientWidth, int ClientHeight);
  ~THostWindow();
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;

  HWND Handle() const { return FWnd; }
  void Destroy();
  void ResizeClient(int Width, int Height);

 private:
  HWND FWnd = nullptr;
};

// Handles every message the thread has queued.
void PumpMessages();

// Presses OK on the first message box with caption 提示 that appears while it is armed, from a thread
// timer, which also runs inside the message box's own modal loop.
class TMessageBoxCloser {
 public:
  TMessageBoxCloser();
  ~TMessageBoxCloser();
  TMessageBoxCloser(const TMessageBoxCloser&) = delete;
  TMessageBoxCloser& operator=(const TMessageBoxCloser&) = delete;

  bool Seen = false;
  std::wstring Text;
  HWND Owner = nullptr;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK TakeText(HWND Child, LPARAM Param);
  static TMessageBoxCloser* FArmed;
  UINT_PTR FTimer = 0;
};

// Control helpers.
std::wstring WindowText(HWND Wnd);
std::vector<std::wstring> ListItems(HWND List);
int ListSelected(HWND List);
void ListSelect(HWND List, int Index);
HWND FindChild(HWND Parent, const wchar_t* Class, const wchar_t* Text);

// Saves what the screen shows of Wnd's client area as a PNG file.
bool SaveScreenshot(HWND Wnd, const std::string& Path);

}  // namespace halvern::test
