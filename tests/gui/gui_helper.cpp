// gui_helper: what the window tests need beside the UI driver, done across processes:
//   drop <title> <path>...   posts WM_DROPFILES with a DROPFILES block written into the
//                            target process, as Explorer's drop would deliver it
//   click-tab <title> <index> clicks on a tab of the window's tab control 1000 with the mouse
//   move <title> <x> <y>     moves the window (as a user dragging its title bar)
//   focus-text <title> <text> puts the text into the control that has the keyboard focus
//                            (the name field of the system's file dialog, say)
//   dump-fonts <title>       prints each control's font face and height (for layout checks)
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
