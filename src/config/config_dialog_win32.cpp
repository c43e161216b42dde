// config_dialog_win32.cpp -- the configuration dialog, its link label and the folder browser.
#include "config/config_dialog_win32.h"

#include <shlobj.h>
#include <shellapi.h>

#include <cstring>

#include "config/home_page.h"
#include "settings/settings.h"

namespace {

constexpr int kIconId = 110;
constexpr int kHandCursorId = 111;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;  // 9
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Loaded on the first showing as shared resources of the module, never
// freed: one for every dialog the process shows.
HICON dialogIcon;
HCURSOR handCursor;

// One showing of the dialog, kept as the dialog's user data (DWLP_USER).
struct ConfigDialog {
  Settings* settings;
  int32_t pendingLevel;    // the level the radio buttons chose; LEVEL takes it on OK
  int32_t linkHover;       // 1 while the mouse is over the link label
  WNDPROC labelProcedure;  // the link label's own procedure
};

ConfigDialog& DialogOf(HWND dialog) {
  return *reinterpret_cast<ConfigDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The link label: a hand over it, red while the mouse is on it. Capturing
// the mouse lets it see the move that leaves it.
LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  ConfigDialog& state = DialogOf(GetParent(label));
  RECT client;
  GetClientRect(label, &client);
  if (message == WM_SETCURSOR) {
    SetCursor(handCursor);
    return 1;
  }
  if (message == WM_MOUSEMOVE) {
    POINT point = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    state.linkHover = PtInRect(&client, point) ? 1 : 0;
    bool captured = GetCapture() == label;
    if (state.linkHover && !captured) {
      InvalidateRect(label, nullptr, FALSE);
      SetCapture(label);
    } else if (!state.linkHover && captured) {
      InvalidateRect(label, nullptr, FALSE);
      ReleaseCapture();
    }
    return 0;
  }
  if (state.labelProcedure != nullptr)
    return CallWindowProcA(state.labelProcedure, label, message, wParam, lParam);
  return DefWindowProcA(label, message, wParam, lParam);
}

INT_PTR ColourStatic(const ConfigDialog& state, HDC dc, HWND control) {
  int id = GetDlgCtrlID(control);
  if (id != kTitleText && id != kHomePageLink) return 0;
  SetTextColor(dc, id == kHomePageLink && state.linkHover == 0 ? kBlue : kRed);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void InitDialog(HWND dialog, ConfigDialog& state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
  Settings& settings = *state.settings;
  HWND label = GetDlgItem(dialog, kHomePageLink);
  state.labelProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkLabelProc)));
  if (dialogIcon != nullptr)
    SendDlgItemMessageA(dialog, kLogoIcon, STM_SETICON, reinterpret_cast<WPARAM>(dialogIcon), 0);
  // A LEVEL outside 0..2 checks none of the three.
  CheckRadioButton(dialog, kStandardButton, kExpertButton, kStandardButton + settings.level);
  CheckDlgButton(dialog, kShowFlameBox, settings.showFlame.load() != 0 ? BST_CHECKED : BST_UNCHECKED);
  state.pendingLevel = settings.level;
}

// WM_COMMAND by control id; false for ids the dialog does not handle.
bool Command(HWND dialog, ConfigDialog& state, int id) {
  Settings& settings = *state.settings;
  switch (id) {
    case IDOK:
      settings.level = state.pendingLevel;
      EndDialog(dialog, 1);
      return true;
    case IDCANCEL:  // SHOW_FLAME and MSD_PATH keep what the user already changed
      EndDialog(dialog, 0);
      return true;
    case kSelectFolderButton:
      ChooseChartFolder(dialog, settings.msdPath);
      return true;
    case kStandardButton:
    case kAdvancedButton:
    case kExpertButton:
      state.pendingLevel = id - kStandardButton;
      return true;
    case kShowFlameBox:  // the flame thread and the frame pass see it at once
      settings.showFlame.store(settings.showFlame.load() == 0 ? 1 : 0);
      return true;
    case kHomePageLink:
      ShellExecuteA(nullptr, nullptr, STOMPARA_HOME_PAGE_URL, nullptr, nullptr, SW_SHOWNORMAL);
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog, *reinterpret_cast<ConfigDialog*>(lParam));
      return 1;
    case WM_COMMAND:
      return Command(dialog, DialogOf(dialog), LOWORD(wParam)) ? 1 : 0;
    case WM_CTLCOLORSTATIC:
      if (GetWindowLongPtrA(dialog, DWLP_USER) == 0) return 0;  // before WM_INITDIALOG
      return ColourStatic(DialogOf(dialog), reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
      return 0;
  }
}

// `data` is the folder the browser opens at: the chart folder as it is.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  SendMessageA(browser, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Select MSD Directory"));
  const char* folder = reinterpret_cast<const char*>(data);
  if (folder[0] != '\0') SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder));
  return 0;
}

}  // namespace

INT_PTR ShowConfigDialog(Settings& settings, HINSTANCE instance, HWND owner) {
  if (dialogIcon == nullptr)
    dialogIcon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON, 0, 0, LR_SHARED));
  if (handCursor == nullptr) handCursor = LoadCursorA(instance, MAKEINTRESOURCEA(kHandCursorId));
  ConfigDialog state = {&settings, settings.level, 0, nullptr};
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(kConfigDialogId), owner, ConfigDialogProc,
                         reinterpret_cast<LPARAM>(&state));
}

int ChooseChartFolder(HWND owner, char* path) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return 0;
  // The browser writes a display name and the conversion a path; both go to
  // buffers of their own, so a folder with no file-system path (or a
  // failed conversion) leaves the user's chart folder as it was.
  char displayName[MAX_PATH] = {};
  char chosen[MAX_PATH] = {};
  BROWSEINFOA browse = {};
  browse.hwndOwner = owner;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = "";
  browse.ulFlags = kBrowseFlags;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(path);
  LPITEMIDLIST item = SHBrowseForFolderA(&browse);
  if (item == nullptr) {
    allocator->Release();
    return 2;
  }
  bool converted = SHGetPathFromIDListA(item, chosen) && chosen[0] != '\0';
  allocator->Free(item);
  allocator->Release();
  if (!converted) return 0;
  static_assert(MAX_PATH <= kPathSize, "a chosen path fits the chart folder");
  std::memcpy(path, chosen, sizeof chosen);
  return 1;
}
