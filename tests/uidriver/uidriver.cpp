// uidriver: works the windows of another program the way a user would (find a window,
// read and set texts, click, choose, press keys, dismiss message boxes), for the window
// program's tests under Wine. One command per run, or many through "serve" on stdin.
//
// Exit status: 0 done, 1 usage, 2 not found or timed out, 3 refused (a disabled control
// or window, as a user could not use it), 4 the window did not answer.
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNotFound = 2;
constexpr int kExitRefused = 3;
constexpr int kExitNoAnswer = 4;

constexpr DWORD kPollMs = 50;          // between two looks while waiting
constexpr DWORD kWatchPollMs = 5;      // between two looks at a changing text
constexpr UINT kSendTimeoutMs = 5000;  // a window that does not answer within this is hung
constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

std::string out;  // what the command prints

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                              0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], n,
                      nullptr, nullptr);
  return result;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], n);
  return result;
}

void Print(const std::wstring& line) { out += Utf8(line) + "\n"; }
void PrintA(const std::string& line) { out += line + "\n"; }

std::wstring Hex(HWND hwnd) {
  wchar_t buf[32];
  swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
  return buf;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {};
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

// Text of any window of any process (WM_GETTEXT is carried across processes).
bool ReadText(HWND hwnd, std::wstring* text) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length))
    return false;
  std::vector<wchar_t> buf(length + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
    return false;
  *text = std::wstring(buf.data());
  return true;
}

bool Send(HWND hwnd, UINT msg, WPARAM w, LPARAM l, DWORD_PTR* result = nullptr) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(hwnd, msg, w, l, SMTO_ABORTIFHUNG, kSendTimeoutMs, &r)) return false;
  if (result) *result = r;
  return true;
}

// A window named on the command line: "0x..." is a handle, anything else the exact title
// of a visible top-level window.
struct FindTitle {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK FindTitleProc(HWND hwnd, LPARAM param) {
  auto* find = reinterpret_cast<FindTitle*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  wchar_t buf[512] = {};
  GetWindowTextW(hwnd, buf, 512);
  if (find->title == buf) {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// `t` is a window title or a handle written as 0x followed by hexadecimal digits.
HWND FindTop(const std::wstring& t) {
  if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X')) {
    wchar_t* end = nullptr;
    unsigned long long value = wcstoull(t.c_str() + 2, &end, 16);
    if (end && *end == 0) {
      HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
      return IsWindow(hwnd) ? hwnd : nullptr;
    }
  }
  FindTitle find{t};
  EnumWindows(FindTitleProc, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// A control by its id anywhere below a top-level window (the pages are child dialogs, so
// their controls are grandchildren). Both pages use some of the same ids: a visible
// control wins over a hidden one.
struct FindId {
  int id;
  HWND visible = nullptr;
  HWND any = nullptr;
};

BOOL CALLBACK FindIdProc(HWND hwnd, LPARAM param) {
  auto* find = reinterpret_cast<FindId*>(param);
  if (GetDlgCtrlID(hwnd) != find->id) return TRUE;
  if (!find->any) find->any = hwnd;
  if (!find->visible && IsWindowVisible(hwnd)) find->visible = hwnd;
  return TRUE;
}

HWND FindControl(HWND top, int id) {
  FindId find{id};
  EnumChildWindows(top, FindIdProc, reinterpret_cast<LPARAM>(&find));
  return find.visible ? find.visible : find.any;
}

bool ParseInt(const std::wstring& text, long long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  *value = wcstoll(text.c_str(), &end, 0);
  return end && *end == 0;
}

// The top-level window and the control that a command names, or an exit status.
int Locate(const std::wstring& windowSpec, const std::wstring& idText, HWND* top, HWND* control) {
  *top = FindTop(windowSpec);
  if (!*top) {
    PrintA("no window " + Utf8(windowSpec));
    return kExitNotFound;
  }
  if (control == nullptr) return kExitOk;
  long long id = 0;
  if (!ParseInt(idText, &id)) {
    PrintA("bad control id " + Utf8(idText));
    return kExitUsage;
  }
  *control = FindControl(*top, static_cast<int>(id));
  if (!*control) {
    PrintA("no control " + Utf8(idText) + " in " + Utf8(windowSpec));
    return kExitNotFound;
  }
  return kExitOk;
}

// A user can use a control only while it and its top-level window are enabled.
bool Usable(HWND top, HWND control) {
  return IsWindowEnabled(top) && (control == nullptr || IsWindowEnabled(control));
}

int Refused(const std::wstring& what) {
  PrintA("disabled: " + Utf8(what));
  return kExitRefused;
}

int WaitWindow(const std::wstring& title, DWORD ms, bool gone) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND hwnd = FindTop(title);
    if (gone ? hwnd == nullptr : hwnd != nullptr) {
      if (!gone) Print(Hex(hwnd));
      return kExitOk;
    }
    if (GetTickCount() - start >= ms) break;
    Sleep(kPollMs);
  }
  PrintA((gone ? "still there: " : "no window ") + Utf8(title));
  return kExitNotFound;
}

int GetText(const std::vector<std::wstring>& a) {
  HWND top, control;
  if (a.size() == 1) {
    int rc = Locate(a[0], L"", &top, nullptr);
    if (rc) return rc;
    control = top;
  } else {
    int rc = Locate(a[0], a[1], &top, &control);
    if (rc) return rc;
  }
  std::wstring text;
  if (!ReadText(control, &text)) return kExitNoAnswer;
  Print(text);
  return kExitOk;
}

int WaitText(const std::vector<std::wstring>& a) {
  long long ms = 0;
  if (!ParseInt(a[3], &ms)) return kExitUsage;
  DWORD start = GetTickCount();
  std::wstring last = L"(no window)";
  for (;;) {
    HWND top = FindTop(a[0]);
    long long id = 0;
    if (!ParseInt(a[1], &id)) return kExitUsage;
    HWND control = top ? FindControl(top, static_cast<int>(id)) : nullptr;
    if (control && ReadText(control, &last) && last == a[2]) {
      Print(last);
      return kExitOk;
    }
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) break;
    Sleep(kPollMs);
  }
  PrintA("timed out; text is: " + Utf8(last));
  return kExitNotFound;
}

int Click(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  if (!Usable(top, control) || !IsWindowVisible(control)) return Refused(a[1]);
  const std::wstring cls = ClassOf(control);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  const LONG kind = style & BS_TYPEMASK;
  const bool pushButton = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
  if (_wcsicmp(cls.c_str(), L"Button") == 0 && !pushButton) {
    // Check boxes and radio buttons change their own state on a click.
    PostMessageW(control, BM_CLICK, 0, 0);
  } else {
    // What a push button (or a notifying static) tells its parent when it is clicked.
    // Posted, because the click may open a modal dialog that this must not wait for.
    PostMessageW(GetParent(control), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
  }
  return kExitOk;
}

int SetText(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  if (!Usable(top, control)) return Refused(a[1]);
  if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()))) return kExitNoAnswer;
  return kExitOk;
}

// Typing: one WM_CHAR per character, as the keyboard would deliver them to the control.
int Type(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  if (!Usable(top, control)) return Refused(a[1]);
  for (wchar_t c : a[2]) {
    if (!Send(control, WM_CHAR, c, 1)) return kExitNoAnswer;
  }
  return kExitOk;
}

int SelectCombo(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  long long index = 0;
  if (!ParseInt(a[2], &index)) return kExitUsage;
  if (!Usable(top, control)) return Refused(a[1]);
  DWORD_PTR r = 0;
  if (!Send(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &r)) return kExitNoAnswer;
  if (static_cast<LRESULT>(r) == CB_ERR && index >= 0) {
    PrintA("no item " + std::to_string(index));
    return kExitNotFound;
  }
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
  return kExitOk;
}

int ComboItems(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  DWORD_PTR count = 0;
  if (!Send(control, CB_GETCOUNT, 0, 0, &count)) return kExitNoAnswer;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    DWORD_PTR length = 0;
    if (!Send(control, CB_GETLBTEXTLEN, i, 0, &length)) return kExitNoAnswer;
    std::vector<wchar_t> buf(length + 2, L'\0');
    if (!Send(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()))) return kExitNoAnswer;
    Print(buf.data());
  }
  return kExitOk;
}

int ComboSel(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  DWORD_PTR sel = 0;
  if (!Send(control, CB_GETCURSEL, 0, 0, &sel)) return kExitNoAnswer;
  PrintA(std::to_string(static_cast<int>(static_cast<LRESULT>(sel))));
  return kExitOk;
}

int IsEnabled(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  PrintA(IsWindowEnabled(control) ? "1" : "0");
  return kExitOk;
}

int IsVisible(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  PrintA(IsWindowVisible(control) ? "1" : "0");
  return kExitOk;
}

int GetCheck(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  DWORD_PTR state = 0;
  if (!Send(control, BM_GETCHECK, 0, 0, &state)) return kExitNoAnswer;
  PrintA(std::to_string(static_cast<int>(state)));
  return kExitOk;
}

int Menu(const std::vector<std::wstring>& a) {
  HWND top;
  int rc = Locate(a[0], L"", &top, nullptr);
  if (rc) return rc;
  long long id = 0;
  if (!ParseInt(a[1], &id)) return kExitUsage;
  if (!IsWindowEnabled(top)) return Refused(a[0]);
  PostMessageW(top, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
  return kExitOk;
}

int Close(const std::vector<std::wstring>& a) {
  HWND top;
  int rc = Locate(a[0], L"", &top, nullptr);
  if (rc) return rc;
  if (!IsWindowEnabled(top)) return Refused(a[0]);
  PostMessageW(top, WM_CLOSE, 0, 0);
  return kExitOk;
}

int KeyCode(const std::wstring& name) {
  struct Named {
    const wchar_t* name;
    int vk;
  };
  static const Named kNames[] = {{L"RETURN", VK_RETURN}, {L"ENTER", VK_RETURN},
                                 {L"ESCAPE", VK_ESCAPE}, {L"TAB", VK_TAB},
                                 {L"DOWN", VK_DOWN},     {L"UP", VK_UP},
                                 {L"SPACE", VK_SPACE},   {L"NEXT", VK_NEXT},
                                 {L"PRIOR", VK_PRIOR},   {L"CTRL", VK_CONTROL},
                                 {L"SHIFT", VK_SHIFT},   {L"ALT", VK_MENU}};
  for (const Named& n : kNames)
    if (_wcsicmp(n.name, name.c_str()) == 0) return n.vk;
  // A letter key by its letter ("CTRL+V").
  if (name.size() == 1 && iswalpha(name[0])) return static_cast<int>(towupper(name[0]));
  long long value = 0;
  return ParseInt(name, &value) ? static_cast<int>(value) : -1;
}

// A combination ("CTRL+SHIFT+TAB") is typed as a user would: the window is brought to the
// front and the keys go in as input, pressed in order and let go in reverse order, so that
// the program sees the modifiers held.
int KeyCombination(HWND top, const std::wstring& name) {
  std::vector<INPUT> inputs;
  for (size_t from = 0, plus = 0; plus != std::wstring::npos; from = plus + 1) {
    plus = name.find(L'+', from);
    const int vk = KeyCode(name.substr(from, plus - from));
    if (vk < 0) return kExitUsage;
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<WORD>(vk);
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    inputs.push_back(in);
  }
  for (size_t i = inputs.size(); i-- > 0;) {
    INPUT up = inputs[i];
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  SetForegroundWindow(top);
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    return kExitRefused;
  Print(L"typed into " + Hex(GetForegroundWindow()));
  return kExitOk;
}

// A key goes to the window that has the keyboard focus in the target's thread.
int Key(const std::vector<std::wstring>& a) {
  HWND top;
  int rc = Locate(a[0], L"", &top, nullptr);
  if (rc) return rc;
  if (a[1].find(L'+') != std::wstring::npos) return KeyCombination(top, a[1]);
  int vk = KeyCode(a[1]);
  if (vk < 0) return kExitUsage;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  HWND target = top;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) && info.hwndFocus &&
      (info.hwndFocus == top || IsChild(top, info.hwndFocus)))
    target = info.hwndFocus;
  UINT scan = MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | (scan << 16));
  PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(vk), 1 | (scan << 16) | 0xC0000000u);
  Print(L"sent to " + Hex(target) + L" " + ClassOf(target));
  return kExitOk;
}

BOOL CALLBACK ListTopProc(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  wchar_t buf[512] = {};
  GetWindowTextW(hwnd, buf, 512);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  Print(Hex(hwnd) + L"\t" + std::to_wstring(pid) + L"\t" + ClassOf(hwnd) + L"\t" + buf);
  return TRUE;
}

BOOL CALLBACK ListChildProc(HWND hwnd, LPARAM) {
  std::wstring text;
  ReadText(hwnd, &text);
  Print(Hex(hwnd) + L"\t" + std::to_wstring(GetDlgCtrlID(hwnd)) + L"\t" + ClassOf(hwnd) + L"\t" +
        (IsWindowVisible(hwnd) ? L"v" : L"-") + (IsWindowEnabled(hwnd) ? L"e" : L"-") + L"\t" +
        text);
  return TRUE;
}

int ListWindows(const std::vector<std::wstring>& a) {
  if (a.empty()) {
    EnumWindows(ListTopProc, 0);
    return kExitOk;
  }
  HWND top;
  int rc = Locate(a[0], L"", &top, nullptr);
  if (rc) return rc;
  EnumChildWindows(top, ListChildProc, 0);
  return kExitOk;
}

// A text of several lines (a message box's text and its detail) on one line of output:
// each line break as the two characters \n.
std::wstring OneLine(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') continue;
    if (text[i] == L'\n') {
      out += L"\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

// A message box: a dialog of class #32770 with the given title and a text static.
struct FindBox {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM param) {
  auto* find = reinterpret_cast<FindBox*>(param);
  if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
  wchar_t buf[512] = {};
  GetWindowTextW(hwnd, buf, 512);
  if (find->title == buf && GetDlgItem(hwnd, kMessageBoxTextId) != nullptr) {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindMessageBox(const std::wstring& title) {
  FindBox find{title};
  EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// Waits for a message box, prints its text and presses its OK (or only) button.
int DismissBox(const std::vector<std::wstring>& a, bool press) {
  long long ms = 0;
  if (!ParseInt(a[1], &ms)) return kExitUsage;
  DWORD start = GetTickCount();
  for (;;) {
    HWND box = FindMessageBox(a[0]);
    if (box) {
      std::wstring text;
      ReadText(GetDlgItem(box, kMessageBoxTextId), &text);
      Print(OneLine(text));
      if (press) {
        HWND ok = GetDlgItem(box, IDOK);
        int id = ok ? IDOK : IDCANCEL;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
      }
      return kExitOk;
    }
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) break;
    Sleep(kPollMs);
  }
  PrintA("no message box " + Utf8(a[0]));
  return kExitNotFound;
}

// Waits for a window, then follows a control's text while the window lasts: prints every
// new text, and, when a box title is given, the text of each such message box
// ("box: ...") before pressing its OK. Ends when the window has gone.
int WatchText(const std::vector<std::wstring>& a) {
  long long id = 0, ms = 0;
  if (!ParseInt(a[1], &id) || !ParseInt(a[2], &ms)) return kExitUsage;
  const bool boxes = a.size() > 3;
  DWORD start = GetTickCount();
  std::wstring last;
  bool first = true;
  bool seen = false;
  for (;;) {
    HWND top = FindTop(a[0]);
    if (!top && seen) return kExitOk;
    if (!top) {
      if (GetTickCount() - start >= static_cast<DWORD>(ms)) {
        PrintA("no window " + Utf8(a[0]));
        return kExitNotFound;
      }
      Sleep(kWatchPollMs);
      continue;
    }
    seen = true;
    HWND control = FindControl(top, static_cast<int>(id));
    std::wstring text;
    if (control && ReadText(control, &text) && (first || text != last)) {
      Print(text);
      last = text;
      first = false;
    }
    if (boxes) {
      HWND box = FindMessageBox(a[3]);
      if (box) {
        std::wstring boxText;
        ReadText(GetDlgItem(box, kMessageBoxTextId), &boxText);
        Print(L"box: " + OneLine(boxText));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        // Wait for that box to go, so that it is reported once.
        for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
      }
    }
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) break;
    Sleep(kWatchPollMs);
  }
  PrintA("timed out: the window is still there");
  return kExitNotFound;
}

int Rect(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = a.size() > 1 ? Locate(a[0], a[1], &top, &control) : Locate(a[0], L"", &top, nullptr);
  if (rc) return rc;
  if (a.size() == 1) control = top;
  RECT r{};
  GetWindowRect(control, &r);
  PrintA(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom));
  return kExitOk;
}

// The colour at the middle of a control, read from the screen, as RRGGBB.
int Pixel(const std::vector<std::wstring>& a) {
  HWND top, control;
  int rc = Locate(a[0], a[1], &top, &control);
  if (rc) return rc;
  RECT r{};
  GetWindowRect(control, &r);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ReleaseDC(nullptr, screen);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  PrintA(buf);
  return kExitOk;
}

void Usage() {
  PrintA(
      "usage: uidriver <command> ...\n"
      "  wait-window <title> <ms>        wait-gone <title> <ms>\n"
      "  get-text <window> [<id>]        wait-text <window> <id> <text> <ms>\n"
      "  set-text <window> <id> <text>   type <window> <id> <text>\n"
      "  click <window> <id>             menu <window> <command id>\n"
      "  select-combo <window> <id> <n>  combo-items <window> <id>   combo-sel <window> <id>\n"
      "  is-enabled <window> <id>        is-visible <window> <id>    get-check <window> <id>\n"
      "  key <window> <VK|RETURN|ESCAPE|DOWN|...|CTRL+SHIFT+TAB>   close <window>\n"
      "  list-windows [<window>]         rect <window> [<id>]        pixel <window> <id>\n"
      "  dismiss-box <title> <ms>        box-text <title> <ms>\n"
      "  watch-text <window> <id> <ms> [<box title>]   every text while the window lasts\n"
      "  sleep <ms>                      serve   (commands on stdin, one a line,\n"
      "                                          arguments separated by tabs)\n"
      "  <window> is an exact title of a visible top-level window or a handle 0x...");
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) {
    Usage();
    return kExitUsage;
  }
  const std::wstring& cmd = args[0];
  std::vector<std::wstring> a(args.begin() + 1, args.end());
  struct Command {
    const wchar_t* name;
    size_t minArgs, maxArgs;
  };
  static const Command kCommands[] = {
      {L"wait-window", 2, 2}, {L"wait-gone", 2, 2},    {L"get-text", 1, 2},
      {L"wait-text", 4, 4},   {L"set-text", 3, 3},     {L"type", 3, 3},
      {L"click", 2, 2},       {L"menu", 2, 2},         {L"select-combo", 3, 3},
      {L"combo-items", 2, 2}, {L"combo-sel", 2, 2},    {L"is-enabled", 2, 2},
      {L"is-visible", 2, 2},  {L"get-check", 2, 2},    {L"key", 2, 2},
      {L"close", 1, 1},       {L"list-windows", 0, 1}, {L"rect", 1, 2},
      {L"pixel", 2, 2},       {L"dismiss-box", 2, 2},  {L"box-text", 2, 2},
      {L"watch-text", 3, 4},  {L"sleep", 1, 1}};
  const Command* found = nullptr;
  for (const Command& c : kCommands)
    if (cmd == c.name) found = &c;
  if (!found || a.size() < found->minArgs || a.size() > found->maxArgs) {
    Usage();
    return kExitUsage;
  }
  long long ms = 0;
  if (cmd == L"wait-window" || cmd == L"wait-gone") {
    if (!ParseInt(a[1], &ms)) return kExitUsage;
    return WaitWindow(a[0], static_cast<DWORD>(ms), cmd == L"wait-gone");
  }
  if (cmd == L"get-text") return GetText(a);
  if (cmd == L"wait-text") return WaitText(a);
  if (cmd == L"set-text") return SetText(a);
  if (cmd == L"type") return Type(a);
  if (cmd == L"click") return Click(a);
  if (cmd == L"menu") return Menu(a);
  if (cmd == L"select-combo") return SelectCombo(a);
  if (cmd == L"combo-items") return ComboItems(a);
  if (cmd == L"combo-sel") return ComboSel(a);
  if (cmd == L"is-enabled") return IsEnabled(a);
  if (cmd == L"is-visible") return IsVisible(a);
  if (cmd == L"get-check") return GetCheck(a);
  if (cmd == L"key") return Key(a);
  if (cmd == L"close") return Close(a);
  if (cmd == L"list-windows") return ListWindows(a);
  if (cmd == L"rect") return Rect(a);
  if (cmd == L"watch-text") return WatchText(a);
  if (cmd == L"pixel") return Pixel(a);
  if (cmd == L"dismiss-box") return DismissBox(a, true);
  if (cmd == L"box-text") return DismissBox(a, false);
  if (cmd == L"sleep") {
    if (!ParseInt(a[0], &ms)) return kExitUsage;
    Sleep(static_cast<DWORD>(ms));
    return kExitOk;
  }
  return kExitUsage;
}

void Flush() {
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  out.clear();
}

// serve: one command a line on stdin (UTF-8, arguments separated by tabs); after each,
// its output and a line "@@end <status>".
int Serve() {
  std::string line;
  int c;
  for (;;) {
    line.clear();
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) return kExitOk;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::wstring> args;
    size_t pos = 0;
    for (;;) {
      size_t tab = line.find('\t', pos);
      args.push_back(Wide(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos)));
      if (tab == std::string::npos) break;
      pos = tab + 1;
    }
    if (args.size() == 1 && args[0].empty()) args.clear();
    if (!args.empty() && args[0] == L"quit") return kExitOk;
    int rc = Run(args);
    out += "@@end " + std::to_string(rc) + "\n";
    Flush();
  }
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  LocalFree(argv);
  _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes go out unchanged
  _setmode(_fileno(stdin), _O_BINARY);
  if (args.size() == 1 && args[0] == L"serve") return Serve();
  int rc = Run(args);
  Flush();
  return rc;
}
