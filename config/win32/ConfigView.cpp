// The page's window on Windows: a borderless child of the host's window holding the list of column
// titles, the four buttons, the file name box and the title check box. Whatever the system's ANSI code
// page, the window uses the wide API and converts the engine's GBK texts with code page 936 both ways.
//
// The window exists only while the page is shown: before that, and after it is hidden or after the host
// destroyed its own window, the values live in the headless model this view derives from.

#include <windows.h>
// After windows.h, which declares the types it uses.
#include <commctrl.h>

#include <mutex>
#include <string>

#include "config/ConfigTexts.h"
#include "config/HeadlessConfigView.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/VisualStyles.h"
#include "platform/Window.h"

namespace halvern {

namespace {

constexpr wchar_t kClassName[] = L"HalvernCeConfigPage";

enum : int {
  kIdFile = 100,
  kIdHasTitle = 101,
  kIdList = 102,
  kIdLabel = 103,
  kIdAdd = 110,  // kIdAdd + 0..3: add, delete, up, down
};

std::wstring Wide(const std::string& Gbk) {
  const std::u16string W = platform::AnsiToWide(Gbk);
  return std::wstring(W.begin(), W.end());
}

std::string Ansi(const wchar_t* Text, size_t Length) {
  return platform::WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(Text), Length));
}

// The module this code lives in (Halvern.dll, or a test program that links the page in).
HINSTANCE ThisModule() {
  static const HINSTANCE Module = [] {
    HMODULE M = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &M);
    return M;
  }();
  return Module;
}

class TWin32ConfigView final : public THeadlessConfigView {
 public:
  TWin32ConfigView() : THeadlessConfigView(&platform::ShowMessage) {}
  ~TWin32ConfigView() override { DestroyPage(); }

  void AttachToParent(void* ParentWindow) override;
  void DetachFromParent() override;

  std::string GetFileText() const override;
  void SetFileText(const std::string& Text) override;
  bool GetHasTitle() const override;
  void SetHasTitle(bool Checked) override;

  int ItemCount() const override;
  std::string ItemCaption(int Index) const override;
  void AddItem(const std::string& Caption) override { InsertItem(ItemCount(), Caption); }
  void InsertItem(int Index, const std::string& Caption) override;
  void DeleteItem(int Index) override;
  void ClearItems() override;
  int SelectedIndex() const override;
  void SelectAndMarkItem(int Index) override;

  void FocusList() override;
  void FocusFileEdit() override;

 private:
  static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static bool RegisterPageClass();
  LRESULT Handle(UINT Msg, WPARAM WParam, LPARAM LParam);

  bool CreatePage(HWND Parent);
  void CreateControls();
  void DestroyPage();
  // Copies what the controls show into the model, before the window goes.
  void SaveToModel();
  void FitColumn();
  int Scale(int Pixels) const { return MulDiv(Pixels, FDpi, 96); }
  HWND MakeControl(DWORD ExStyle, const wchar_t* Class, const std::string& Text, DWORD Style, int Id,
                   int Left, int Top, int Width, int Height);

  HWND FWnd = nullptr;
  HWND FList = nullptr;
  HWND FEdit = nullptr;
  HWND FCheck = nullptr;
  HFONT FFont = nullptr;
  int FDpi = 96;
  bool FDestroying = false;
  platform::TParentFill FFill;
};

bool TWin32ConfigView::RegisterPageClass() {
  static const bool Registered = [] {
    INITCOMMONCONTROLSEX Icc{static_cast<DWORD>(sizeof(Icc)), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&Icc);
    WNDCLASSEXW Wc{};
    Wc.cbSize = sizeof(Wc);
    Wc.lpfnWndProc = &TWin32ConfigView::WndProc;
    Wc.hInstance = ThisModule();
    Wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    Wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    Wc.lpszClassName = kClassName;
    return RegisterClassExW(&Wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return Registered;
}

LRESULT CALLBACK TWin32ConfigView::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTW*>(LParam);
    auto* View = static_cast<TWin32ConfigView*>(Create->lpCreateParams);
    View->FWnd = Wnd;
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(View));
  }
  auto* View = reinterpret_cast<TWin32ConfigView*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (!View) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  return View->Handle(Msg, WParam, LParam);
}

LRESULT TWin32ConfigView::Handle(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HWND Wnd = FWnd;
  switch (Msg) {
    case WM_COMMAND: {
      const int Id = LOWORD(WParam);
      if (HIWORD(WParam) == BN_CLICKED && Id >= kIdAdd && Id < kIdAdd + 4 && FListener) {
        FListener->ButtonClicked(static_cast<TConfigButton>(Id - kIdAdd));
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto* Header = reinterpret_cast<const NMHDR*>(LParam);
      // An accepted in-place edit renames the column; a cancelled one (no text) keeps it.
      if (Header->idFrom == kIdList && Header->code == LVN_ENDLABELEDITW)
        return reinterpret_cast<const NMLVDISPINFOW*>(LParam)->item.pszText != nullptr;
      break;
    }
    case WM_CLOSE:
      if (FListener && !FListener->CloseQuery()) return 0;
      break;
    case WM_DESTROY:
      // The host may destroy its window, and ours with it, before hiding the page: keep the entries.
      if (!FDestroying) SaveToModel();
      FFill.Release();
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
      FWnd = FList = FEdit = FCheck = nullptr;
      if (FFont) DeleteObject(FFont);
      FFont = nullptr;
      break;
    default: break;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

HWND TWin32ConfigView::MakeControl(DWORD ExStyle, const wchar_t* Class, const std::string& Text, DWORD Style,
                                   int Id, int Left, int Top, int Width, int Height) {
  HWND C = CreateWindowExW(ExStyle, Class, Wide(Text).c_str(), WS_CHILD | WS_VISIBLE | Style, Scale(Left),
                           Scale(Top), Scale(Width), Scale(Height), FWnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), ThisModule(), nullptr);
  if (C) SendMessageW(C, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
  return C;
}

void TWin32ConfigView::CreateControls() {
  // Creation order is the tab order: file name, title flag, column list, then the four buttons. The
  // label takes no focus.
  FEdit = MakeControl(WS_EX_CLIENTEDGE, L"EDIT", FFileText, WS_TABSTOP | ES_AUTOHSCROLL, kIdFile, 308, 144,
                      169, 21);
  FCheck = MakeControl(0, L"BUTTON", configtext::SHasTitle, WS_TABSTOP | BS_AUTOCHECKBOX, kIdHasTitle, 308,
                       180, 97, 17);
  FList = MakeControl(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, "",
      WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
      kIdList, 8, 7, 281, 195);
  static const char* const Captions[4] = {configtext::SAddButton, configtext::SDeleteButton,
                                          configtext::SUpButton, configtext::SDownButton};
  static const int Tops[4] = {10, 39, 68, 98};
  for (int I = 0; I < 4; ++I)
    MakeControl(0, L"BUTTON", Captions[I], WS_TABSTOP | BS_PUSHBUTTON, kIdAdd + I, 308, Tops[I], 75, 23);
  MakeControl(0, L"STATIC", configtext::SFileLabel, SS_LEFT, kIdLabel, 308, 126, 42, 13);

  if (FList) {
    SendMessageW(FList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB,
                 LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    LVCOLUMNW Column{};
    Column.mask = LVCF_WIDTH;
    SendMessageW(FList, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&Column));
  }
}

bool TWin32ConfigView::CreatePage(HWND Parent) {
  // The controls bind their classes when created: made in the engine's own context, they are the
  // version 6 (themed) ones even in a host without a manifest.
  const platform::TModuleVisualStyles Styles;
  if (!RegisterPageClass()) return false;
  FDpi = platform::WindowDpi(Parent);
  LOGFONTW Font{};
  Font.lfHeight = -Scale(11);
  Font.lfWeight = FW_NORMAL;
  // GBK texts: ask for a font with that character set, so that the system maps the face to one that has
  // the glyphs.
  Font.lfCharSet = GB2312_CHARSET;
  lstrcpynW(Font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  FFont = CreateFontIndirectW(&Font);

  RECT R{};
  GetClientRect(Parent, &R);
  HWND Wnd = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                             R.right - R.left, R.bottom - R.top, Parent, nullptr, ThisModule(), this);
  if (!Wnd) {
    if (FFont) DeleteObject(FFont);
    FFont = nullptr;
    return false;
  }
  CreateControls();
  FFill.Follow(Parent, Wnd);
  return true;
}

void TWin32ConfigView::AttachToParent(void* ParentWindow) {
  DetachFromParent();
  THeadlessConfigView::AttachToParent(ParentWindow);
  HWND Parent = static_cast<HWND>(ParentWindow);
  // Without a usable parent the page still works, without a window.
  if (!Parent || !IsWindow(Parent) || !CreatePage(Parent)) return;

  // The model's values now go into the controls.
  SetWindowTextW(FEdit, Wide(FFileText).c_str());
  SendMessageW(FCheck, BM_SETCHECK, FHasTitle ? BST_CHECKED : BST_UNCHECKED, 0);
  const std::vector<std::string> Items = FItems;
  const int Selected = FSelected, Marked = FMarked;
  for (size_t I = 0; I < Items.size(); ++I) InsertItem(static_cast<int>(I), Items[I]);
  if (Marked >= 0) ListView_SetItemState(FList, Marked, LVIS_FOCUSED, LVIS_FOCUSED);
  if (Selected >= 0) ListView_SetItemState(FList, Selected, LVIS_SELECTED, LVIS_SELECTED);
  FitColumn();
  ShowWindow(FWnd, SW_SHOWNA);
}

void TWin32ConfigView::SaveToModel() {
  if (!FWnd) return;
  const std::string File = GetFileText();
  const bool HasTitle = GetHasTitle();
  std::vector<std::string> Items;
  const int Count = ItemCount();
  for (int I = 0; I < Count; ++I) Items.push_back(ItemCaption(I));
  const int Selected = SelectedIndex();
  const int Marked =
      static_cast<int>(SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  FFileText = File;
  FHasTitle = HasTitle;
  FItems = std::move(Items);
  FSelected = Selected;
  FMarked = Marked;
}

void TWin32ConfigView::DestroyPage() {
  if (!FWnd) return;
  SaveToModel();
  FFill.Release();
  FDestroying = true;
  DestroyWindow(FWnd);
  FDestroying = false;
  // DestroyWindow fails on a thread that does not own the window; the page must not be reached later.
  if (FWnd) {
    SetWindowLongPtrW(FWnd, GWLP_USERDATA, 0);
    FWnd = FList = FEdit = FCheck = nullptr;
  }
}

void TWin32ConfigView::DetachFromParent() {
  DestroyPage();
  THeadlessConfigView::DetachFromParent();
}

std::string TWin32ConfigView::GetFileText() const {
  if (!FEdit) return THeadlessConfigView::GetFileText();
  std::wstring Text(static_cast<size_t>(GetWindowTextLengthW(FEdit)) + 1, L'\0');
  const int Length = GetWindowTextW(FEdit, Text.data(), static_cast<int>(Text.size()));
  return Ansi(Text.data(), static_cast<size_t>(Length > 0 ? Length : 0));
}

void TWin32ConfigView::SetFileText(const std::string& Text) {
  if (!FEdit) return THeadlessConfigView::SetFileText(Text);
  SetWindowTextW(FEdit, Wide(Text).c_str());
}

bool TWin32ConfigView::GetHasTitle() const {
  if (!FCheck) return THeadlessConfigView::GetHasTitle();
  return SendMessageW(FCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32ConfigView::SetHasTitle(bool Checked) {
  if (!FCheck) return THeadlessConfigView::SetHasTitle(Checked);
  SendMessageW(FCheck, BM_SETCHECK, Checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TWin32ConfigView::ItemCount() const {
  if (!FList) return THeadlessConfigView::ItemCount();
  return static_cast<int>(SendMessageW(FList, LVM_GETITEMCOUNT, 0, 0));
}

std::string TWin32ConfigView::ItemCaption(int Index) const {
  if (!FList) return THeadlessConfigView::ItemCaption(Index);
  if (Index < 0 || Index >= ItemCount()) return {};
  // The list reports how much it copied; a full buffer may mean a longer caption.
  for (size_t Size = 256;; Size *= 2) {
    std::wstring Buffer(Size, L'\0');
    LVITEMW Item{};
    Item.iSubItem = 0;
    Item.pszText = Buffer.data();
    Item.cchTextMax = static_cast<int>(Size);
    const auto Length = static_cast<size_t>(
        SendMessageW(FList, LVM_GETITEMTEXTW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Item)));
    if (Length + 1 < Size || Size >= (1u << 20)) return Ansi(Buffer.data(), Length);
  }
}

void TWin32ConfigView::InsertItem(int Index, const std::string& Caption) {
  if (!FList) return THeadlessConfigView::InsertItem(Index, Caption);
  std::wstring Text = Wide(Caption);
  LVITEMW Item{};
  Item.mask = LVIF_TEXT;
  Item.iItem = (Index < 0 || Index > ItemCount()) ? ItemCount() : Index;
  Item.pszText = Text.data();
  SendMessageW(FList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Item));
  FitColumn();
}

void TWin32ConfigView::DeleteItem(int Index) {
  if (!FList) return THeadlessConfigView::DeleteItem(Index);
  if (Index < 0 || Index >= ItemCount()) return;
  SendMessageW(FList, LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  FitColumn();
}

void TWin32ConfigView::ClearItems() {
  if (!FList) return THeadlessConfigView::ClearItems();
  SendMessageW(FList, LVM_DELETEALLITEMS, 0, 0);
  FitColumn();
}

int TWin32ConfigView::SelectedIndex() const {
  if (!FList) return THeadlessConfigView::SelectedIndex();
  return static_cast<int>(SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TWin32ConfigView::SelectAndMarkItem(int Index) {
  if (!FList) return THeadlessConfigView::SelectAndMarkItem(Index);
  if (Index < 0 || Index >= ItemCount()) return;
  ListView_SetItemState(FList, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(FList, Index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(FList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index), FALSE);
}

void TWin32ConfigView::FocusList() {
  THeadlessConfigView::FocusList();
  if (FList) SetFocus(FList);
}

void TWin32ConfigView::FocusFileEdit() {
  THeadlessConfigView::FocusFileEdit();
  if (FEdit) SetFocus(FEdit);
}

// One column as wide as the list's client area, which narrows when a vertical scroll bar appears.
void TWin32ConfigView::FitColumn() {
  if (!FList) return;
  RECT R{};
  GetClientRect(FList, &R);
  SendMessageW(FList, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(R.right - R.left, 0));
}

}  // namespace

std::unique_ptr<TConfigView> CreateConfigView() {
  return std::make_unique<TWin32ConfigView>();
}

}  // namespace halvern
