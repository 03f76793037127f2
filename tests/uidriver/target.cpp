// uidriver_target: a small window with a button, an edit field, a combo box and a message
// box, for the test of uidriver itself.
#include <windows.h>

namespace {

constexpr int kIdEdit = 100;
constexpr int kIdButton = 101;
constexpr int kIdCombo = 102;
constexpr int kIdCheck = 103;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      CreateWindowW(L"EDIT", L"start", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24, hwnd,
                    reinterpret_cast<HMENU>(kIdEdit), nullptr, nullptr);
      CreateWindowW(L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 80, 24,
                    hwnd, reinterpret_cast<HMENU>(kIdButton), nullptr, nullptr);
      HWND combo = CreateWindowW(L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10,
                                 70, 200, 120, hwnd, reinterpret_cast<HMENU>(kIdCombo), nullptr,
                                 nullptr);
      CreateWindowW(L"BUTTON", L"Check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 100, 80,
                    24, hwnd, reinterpret_cast<HMENU>(kIdCheck), nullptr, nullptr);
      const wchar_t* items[] = {L"9600", L"19200", L"設定"};
      for (const wchar_t* item : items) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)item);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdButton && HIWORD(wParam) == BN_CLICKED) {
        SetDlgItemTextW(hwnd, kIdEdit, L"clicked");
        MessageBoxW(hwnd, L"書き込み終了", L"box", MB_OK | MB_ICONINFORMATION);
        SetDlgItemTextW(hwnd, kIdEdit, L"dismissed");
      } else if (LOWORD(wParam) == kIdCombo && HIWORD(wParam) == CBN_SELCHANGE) {
        wchar_t text[64] = {};
        HWND combo = reinterpret_cast<HWND>(lParam);
        SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0), (LPARAM)text);
        SetDlgItemTextW(hwnd, kIdEdit, text);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SetDlgItemTextW(hwnd, kIdEdit, L"escaped");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"UidriverTarget";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"UidriverTarget", L"uidriver target", WS_OVERLAPPEDWINDOW, 50, 50,
                            300, 200, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  // The window itself takes the keys (no child has the focus).
  SetFocus(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
