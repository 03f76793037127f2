// gui_helper: what the window tests need beside the UI driver, done across processes:
//   drop <title> <path>...   posts WM_DROPFILES with a DROPFILES block written into the
//                            target process, as Explorer's drop would deliver it
//   click-tab <title> <index> clicks on a tab of the window's tab control 1000 with the mouse
//   move <title> <x> <y>     moves the window (as a user dragging its title bar)
//   focus-text <title> <text> puts the text into the control that has the keyboard focus
//                            (the name field of the system's file dialog, say)
//   dump-fonts <title>       prints each control's font face and height (for layout checks)
//   open-list <title> <id>   opens and closes the drop-down list of combo box <id>, as a click
//                            on its arrow does (the box is told before its list shows)
//   device-change <title> <event> broadcasts WM_DEVICECHANGE with <event> (decimal) to
//                            every top-level window, as the system does when a device comes
//                            or goes
//   layout <title> <face> <points> <dpi>
//                            prints the window's client area, the work area, every visible
//                            control (rectangle in the window's client area, its text's size
//                            in its own font, else, where another process's font cannot be
//                            read, in the face and size given at that scale) and the tab
//                            control's items and display area
//   dpi-changed <title> <dpi> sends the window the message of a move to a monitor of that
//                            scale, with the rectangle the system would suggest
//   session <title> query|end  sends the session end's query (prints the answer, 1 or 0)
//                            or its end (WM_ENDSESSION, TRUE) as a logoff would
//   style <title> <id>       prints the window style of the visible control <id>, in hex
//   focus <title> <id>       gives the visible control <id> the keyboard focus, as the
//                            dialog manager does for Tab or a mnemonic
//   set-clipboard <title> <text>  puts the text on the clipboard
// Exit status: 0 done, 1 usage, 2 window not found, 3 the target could not be reached.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNotFound = 2;
constexpr int kExitUnreachable = 3;
constexpr int kTabControlId = 1000;
constexpr DWORD kFindWindowMs = 10000;
constexpr DWORD kPollMs = 50;

HWND FindTopWindow(const std::wstring& title) {
  // A window handle ("0x1a2b") names one of several windows of the same title.
  if (title.size() > 2 && title[0] == L'0' && (title[1] == L'x' || title[1] == L'X')) {
    const UINT_PTR value = wcstoull(title.c_str() + 2, nullptr, 16);
    HWND hwnd = reinterpret_cast<HWND>(value);
    return IsWindow(hwnd) ? hwnd : nullptr;
  }
  const DWORD start = GetTickCount();
  for (;;) {
    HWND hwnd = FindWindowW(nullptr, title.c_str());
    if (hwnd != nullptr && IsWindowVisible(hwnd)) return hwnd;
    if (GetTickCount() - start > kFindWindowMs) return nullptr;
    Sleep(kPollMs);
  }
}

// Memory in the target process that stays there (the drop handler releases it itself).
void* WriteRemote(HWND hwnd, const void* data, size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ |
                                   PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (process == nullptr) return nullptr;
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote != nullptr && !WriteProcessMemory(process, remote, data, size, nullptr)) remote = nullptr;
  CloseHandle(process);
  return remote;
}

bool ReadRemote(HWND hwnd, const void* remote, void* data, size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return false;
  const bool ok = ReadProcessMemory(process, remote, data, size, nullptr) != 0;
  CloseHandle(process);
  return ok;
}

int Drop(HWND hwnd, const std::vector<std::wstring>& paths) {
  // DROPFILES, then the wide names one after the other, each with its NUL, and one more NUL.
  std::vector<unsigned char> block(sizeof(DROPFILES), 0);
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.pt.x = 20;
  header.pt.y = 20;
  header.fNC = FALSE;
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  for (const std::wstring& path : paths) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(path.c_str());
    block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), 0);
  void* remote = WriteRemote(hwnd, block.data(), block.size());
  if (remote == nullptr) return kExitUnreachable;
  PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
  return kExitOk;
}

int ClickTab(HWND hwnd, int index) {
  HWND tab = nullptr;
  // The tab control is a direct child of the main window.
  tab = GetDlgItem(hwnd, kTabControlId);
  if (tab == nullptr) return kExitNotFound;
  RECT zero = {};
  void* remote = WriteRemote(hwnd, &zero, sizeof zero);
  if (remote == nullptr) return kExitUnreachable;
  DWORD_PTR ok = 0;
  SendMessageTimeoutW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &ok);
  RECT rect = {};
  if (!ok || !ReadRemote(hwnd, remote, &rect, sizeof rect)) return kExitNotFound;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tab, WM_LBUTTONUP, 0, at);
  return kExitOk;
}

BOOL CALLBACK PrintFont(HWND child, LPARAM) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  LOGFONTW log = {};
  if (font != nullptr) GetObjectW(font, sizeof log, &log);
  char face[128] = {};
  WideCharToMultiByte(CP_UTF8, 0, log.lfFaceName, -1, face, sizeof face, nullptr, nullptr);
  std::printf("%d\t%s\t%ld\n", GetDlgCtrlID(child), face, static_cast<long>(log.lfHeight));
  return TRUE;
}

// A request to the tab control whose RECT argument lives in the tab's process.
bool TabRect(HWND tab, UINT msg, WPARAM wp, RECT* rect) {
  void* remote = WriteRemote(tab, rect, sizeof *rect);
  if (remote == nullptr) return false;
  DWORD_PTR ok = 0;
  if (!SendMessageTimeoutW(tab, msg, wp, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                           &ok))
    return false;
  return ReadRemote(tab, remote, rect, sizeof *rect);
}

std::string Utf8(const std::wstring& text) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buf, sizeof buf - 1, nullptr, nullptr);
  return buf;
}

struct LayoutWalk {
  HWND top;
  LOGFONTW expected;  // the font the texts are measured in when theirs cannot be read
};

// One line per visible control: handle, parent, id, class, style, rectangle in the top
// window's client area, the text's width and height in the control's font, the font's
// height (LOGFONT), the text.
BOOL CALLBACK PrintControl(HWND child, LPARAM param) {
  const auto* walk = reinterpret_cast<const LayoutWalk*>(param);
  if (!IsWindowVisible(child)) return TRUE;
  wchar_t cls[64] = {};
  GetClassNameW(child, cls, 64);
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, walk->top, reinterpret_cast<POINT*>(&r), 2);
  wchar_t text[512] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &got);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  SIZE size = {};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  LOGFONTW log = {};
  const bool hasFont = font != nullptr && GetObjectW(font, sizeof log, &log) != 0;
  if (text[0] != 0) {
    HFONT own = CreateFontIndirectW(hasFont ? &log : &walk->expected);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, own != nullptr ? own : GetStockObject(SYSTEM_FONT));
    RECT calc = {0, 0, 0, 0};
    UINT flags = DT_CALCRECT | DT_SINGLELINE;
    // Statics that show their text as it is, without & as the mnemonic's mark.
    if (wcscmp(cls, L"Static") == 0 && (style & SS_NOPREFIX) != 0) flags |= DT_NOPREFIX;
    if (wcscmp(cls, L"Edit") == 0) flags |= DT_NOPREFIX;
    DrawTextW(dc, text, -1, &calc, flags);
    size.cx = calc.right;
    size.cy = calc.bottom;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (own != nullptr) DeleteObject(own);
  }
  std::printf("control\t%p\t%p\t%d\t%s\t%08lx\t%ld %ld %ld %ld\t%ld %ld\t%ld\t%s\n",
              static_cast<void*>(child), static_cast<void*>(GetParent(child)),
              GetDlgCtrlID(child), Utf8(cls).c_str(), static_cast<unsigned long>(style),
              r.left, r.top, r.right, r.bottom, size.cx, size.cy,
              hasFont ? static_cast<long>(log.lfHeight) : 0L, Utf8(text).c_str());
  if (wcscmp(cls, WC_TABCONTROLW) == 0) {
    DWORD_PTR count = 0;
    SendMessageTimeoutW(child, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    for (DWORD_PTR i = 0; i < count; ++i) {
      RECT item = {};
      if (!TabRect(child, TCM_GETITEMRECT, i, &item)) continue;
      MapWindowPoints(child, walk->top, reinterpret_cast<POINT*>(&item), 2);
      std::printf("tab-item\t%p\t%ld %ld %ld %ld\n", static_cast<void*>(child), item.left,
                  item.top, item.right, item.bottom);
    }
    RECT area = {};
    GetClientRect(child, &area);
    if (TabRect(child, TCM_ADJUSTRECT, FALSE, &area)) {
      MapWindowPoints(child, walk->top, reinterpret_cast<POINT*>(&area), 2);
      std::printf("tab-area\t%p\t%ld %ld %ld %ld\n", static_cast<void*>(child), area.left,
                  area.top, area.right, area.bottom);
    }
  }
  return TRUE;
}

int PrintLayout(HWND top, const wchar_t* face, int points, int dpi) {
  RECT client = {}, window = {}, work = {};
  GetClientRect(top, &client);
  GetWindowRect(top, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  std::printf("client\t%ld %ld\n", client.right, client.bottom);
  std::printf("window\t%ld %ld %ld %ld\n", window.left, window.top, window.right, window.bottom);
  std::printf("work\t%ld %ld %ld %ld\n", work.left, work.top, work.right, work.bottom);
  HDC screen = GetDC(nullptr);
  std::printf("dpi\t%d\n", GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  std::printf("check\t%d\n", GetSystemMetrics(SM_CXMENUCHECK));
  LayoutWalk walk = {top, {}};
  walk.expected.lfHeight = -MulDiv(points, dpi, 72);
  walk.expected.lfWeight = FW_NORMAL;
  walk.expected.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(walk.expected.lfFaceName, face, LF_FACESIZE - 1);
  EnumChildWindows(top, PrintControl, reinterpret_cast<LPARAM>(&walk));
  return kExitOk;
}

// The message of a move to a monitor of scale `dpi`: the window's rectangle grown by the
// change of scale around its top left corner, as the system suggests it.
int SendDpiChanged(HWND hwnd, int dpi) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  HDC screen = GetDC(nullptr);
  const int now = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT suggested = {r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, now),
                    r.top + MulDiv(r.bottom - r.top, dpi, now)};
  void* remote = WriteRemote(hwnd, &suggested, sizeof suggested);
  if (remote == nullptr) return kExitUnreachable;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                           reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result))
    return kExitUnreachable;
  return kExitOk;
}

// Sizes as the screen has them, not as a program of 100 % would be shown them.
void BeScaleAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto setContext = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (setContext == nullptr || !setContext(perMonitorV2)) SetProcessDPIAware();
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindVisibleControl(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (GetDlgCtrlID(child) != search->id || !IsWindowVisible(child)) return TRUE;
  search->found = child;
  return FALSE;
}

HWND VisibleControl(HWND top, int id) {
  ControlSearch search = {id, nullptr};
  EnumChildWindows(top, FindVisibleControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int SetClipboard(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return kExitUnreachable;
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return kExitUnreachable;
  EmptyClipboard();
  const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return set ? kExitOk : kExitUnreachable;
}

}  // namespace

int main() {
  BeScaleAware();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return kExitUsage;
  const std::wstring command = argv[1];
  HWND hwnd = FindTopWindow(argv[2]);
  if (hwnd == nullptr) return kExitNotFound;
  if (command == L"drop" && argc >= 4) {
    return Drop(hwnd, std::vector<std::wstring>(argv + 3, argv + argc));
  }
  if (command == L"click-tab" && argc == 4) return ClickTab(hwnd, _wtoi(argv[3]));
  if (command == L"move" && argc == 5) {
    SetWindowPos(hwnd, nullptr, _wtoi(argv[3]), _wtoi(argv[4]), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return kExitOk;
  }
  if (command == L"focus-text" && argc == 4) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) ||
        info.hwndFocus == nullptr)
      return kExitNotFound;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(info.hwndFocus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]),
                             SMTO_ABORTIFHUNG, 5000, &result))
      return kExitUnreachable;
    return kExitOk;
  }
  if (command == L"button-face") {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    std::printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
    return kExitOk;
  }
  if (command == L"open-list" && argc == 4) {
    HWND box = GetDlgItem(hwnd, _wtoi(argv[3]));
    if (box == nullptr) return kExitNotFound;
    DWORD_PTR result = 0;
    for (WPARAM show : {TRUE, FALSE}) {
      if (!SendMessageTimeoutW(box, CB_SHOWDROPDOWN, show, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return kExitUnreachable;
    }
    return kExitOk;
  }
  if (command == L"device-change" && argc == 4) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, static_cast<WPARAM>(_wtoi(argv[3])), 0,
                        SMTO_ABORTIFHUNG, 5000, &result);
    return kExitOk;
  }
  if (command == L"layout" && argc == 6)
    return PrintLayout(hwnd, argv[3], _wtoi(argv[4]), _wtoi(argv[5]));
  if (command == L"dpi-changed" && argc == 4) return SendDpiChanged(hwnd, _wtoi(argv[3]));
  if (command == L"session" && argc == 4) {
    const bool query = std::wstring(argv[3]) == L"query";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, query ? WM_QUERYENDSESSION : WM_ENDSESSION, query ? 0 : TRUE,
                             ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &result))
      return kExitUnreachable;
    if (query) std::printf("%d\n", result != 0 ? 1 : 0);
    return kExitOk;
  }
  if (command == L"style" && argc == 4) {
    HWND control = VisibleControl(hwnd, _wtoi(argv[3]));
    if (control == nullptr) return kExitNotFound;
    std::printf("%08lX\n", static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
    return kExitOk;
  }
  if (command == L"focus" && argc == 4) {
    HWND control = VisibleControl(hwnd, _wtoi(argv[3]));
    if (control == nullptr) return kExitNotFound;
    PostMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return kExitOk;
  }
  if (command == L"set-clipboard" && argc == 4) return SetClipboard(argv[3]);
  if (command == L"dump-fonts") {
    EnumChildWindows(hwnd, PrintFont, 0);
    return kExitOk;
  }
  return kExitUsage;
}
