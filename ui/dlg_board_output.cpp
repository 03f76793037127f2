// CDlgBoardOutput: the text area, the line to send, Clear, Save as, and the window's size.
#include "ui/dlg_board_output.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "base/texts.h"
#include "settings/iniacs.h"
#include "ui/file_dialogs.h"
#include "ui/resource.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {
constexpr int kDirectMode = 0;
constexpr int kRewriteMode = 1;
constexpr int kAbsent = -1;
constexpr int kSaveNameChars = 32768;  // the save dialog's name buffer
constexpr const char* kSaveFilter = "Text file (*.txt)|*.txt|All Files (*.*)|*.*||";
constexpr const wchar_t* kSaveExtension = L"txt";
constexpr const char* kLineEnd = "\r";  // Enter on the board's line

// The layout in dialog units: the margin, a row's height, the gap between controls and
// the widths of the label and the buttons; the smallest window the user can make.
constexpr int kMarginDu = 7;
constexpr int kRowDu = 14;
constexpr int kGapDu = 4;
constexpr int kLabelDu = 60;
constexpr int kButtonDu = 50;
constexpr int kSaveButtonDu = 70;
constexpr int kMinWidthDu = 320;
constexpr int kMinHeightDu = 90;
}  // namespace

CDlgBoardOutput::CDlgBoardOutput(std::function<void(const std::string&)> send,
                                 const std::string& iniPath)
    : CDialogVl2(IDD_DLG_BOARD_OUTPUT, nullptr), m_send(std::move(send)) {
  m_iniPath = iniPath;
  m_iniSection = kSectionBoardOutput;
}

CDlgBoardOutput::~CDlgBoardOutput() { DestroyWindow(); }

int CDlgBoardOutput::CreateFor(CWnd* owner) {
  if (!Create(owner)) return 0;
  RegisterModeless(this);
  return 1;
}

BOOL CDlgBoardOutput::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  // The place and size are stored as the window goes (WM_DESTROY), also when it goes
  // with the main window that owns it.
  return CDialog::DestroyWindow();
}

void CDlgBoardOutput::DoDataExchange() {
  m_output.SubclassDlgItem(IDC_EDIT_OUTPUT, this);
  m_lineLabel.SubclassDlgItem(IDC_STATIC_SEND_LINE, this);
  m_line.SubclassDlgItem(IDC_EDIT_SEND_LINE, this);
  m_sendButton.SubclassDlgItem(IDC_BUTTON_SEND, this);
  m_clear.SubclassDlgItem(IDC_BUTTON_CLEAR_OUTPUT, this);
  m_saveAs.SubclassDlgItem(IDC_BUTTON_SAVE_OUTPUT, this);
}

BOOL CDlgBoardOutput::OnInitDialog() {
  CDialogVl2::OnInitDialog();
  // Room for the kept text and one read's worth above it before the front is cut.
  m_output.SendMessage(EM_SETLIMITTEXT, static_cast<WPARAM>(kOutputShownChars) * 2);
  RestoreSize();
  LayOut();
  return TRUE;
}

void CDlgBoardOutput::RestoreSize() {
  iniacs ini;
  ini.SetFile(m_iniPath, kDirectMode);
  const int width = ini.GetInt(m_iniSection.c_str(), "Width");
  const int height = ini.GetInt(m_iniSection.c_str(), "Height");
  RECT rect = {};
  GetWindowRect(m_hWnd, &rect);
  const RECT smallest = DialogUnits(0, 0, kMinWidthDu, kMinHeightDu);
  // A size the file does not hold, or one too small to use, leaves the template's.
  if (width == kAbsent || height == kAbsent || width < smallest.right ||
      height < smallest.bottom)
    return;
  // Kept on the screen like the main window: a window larger than the work area starts
  // at its left or top edge.
  MoveIntoWorkArea(rect.left, rect.top, width, height);
}

void CDlgBoardOutput::SaveSize() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(m_hWnd, &placement)) return;
  const RECT& normal = placement.rcNormalPosition;
  iniacs ini;
  ini.SetFile(m_iniPath, kRewriteMode);
  ini.WriteInt(m_iniSection.c_str(), "Width", static_cast<int>(normal.right - normal.left));
  ini.WriteInt(m_iniSection.c_str(), "Height", static_cast<int>(normal.bottom - normal.top));
  ini.Commit();  // a size that cannot be kept is no reason to bother the user
}

void CDlgBoardOutput::ShowOutput() {
  if (m_hWnd == nullptr) return;
  if (IsIconic(m_hWnd)) {
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
  } else if (!IsWindowVisible(m_hWnd)) {
    ::ShowWindow(m_hWnd, SW_SHOWNA);
  }
}

void CDlgBoardOutput::EnableSend(bool on) {
  if (m_hWnd == nullptr) return;
  m_line.EnableWindow(on);
  m_sendButton.EnableWindow(on);
}

void CDlgBoardOutput::Append(const std::string& bytes) {
  if (m_hWnd == nullptr || bytes.empty()) return;
  std::wstring text = Widen(m_render.Render(bytes));
  if (text.empty()) return;
  if (text.size() > static_cast<size_t>(kOutputKeptAfterCutChars))
    text.erase(0, text.size() - kOutputKeptAfterCutChars);
  const int length = GetWindowTextLengthW(m_output.m_hWnd);
  const int added = static_cast<int>(text.size());
  if (length + added > kOutputShownChars) {
    // The oldest lines go, at a line's start, in one step that leaves room for more.
    const int cut = length + added - kOutputKeptAfterCutChars;
    const LRESULT line = m_output.SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(cut));
    LRESULT start = m_output.SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line + 1));
    if (start < cut || start > length) start = cut < length ? cut : length;
    m_output.SendMessage(EM_SETSEL, 0, start);
    m_output.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  }
  const int end = GetWindowTextLengthW(m_output.m_hWnd);
  m_output.SendMessage(EM_SETSEL, static_cast<WPARAM>(end), end);
  m_output.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  m_output.SendMessage(EM_SCROLLCARET);
}

std::wstring CDlgBoardOutput::Text() const { return m_output.GetWideText(); }

void CDlgBoardOutput::OnCancel() {
  // Escape and the close box: the window goes out of sight; the next Go shows it again.
  if (m_hWnd != nullptr) ::ShowWindow(m_hWnd, SW_HIDE);
  m_enterEscFlag = 0;
}

bool CDlgBoardOutput::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_BUTTON_SEND:
      OnSend();
      return true;
    case IDC_BUTTON_CLEAR_OUTPUT:
      m_output.SetWideText(L"");
      m_render.Reset();
      return true;
    case IDC_BUTTON_SAVE_OUTPUT:
      OnSaveAs();
      return true;
    default:
      return false;
  }
}

void CDlgBoardOutput::OnSend() {
  if (!::IsWindowEnabled(m_line.m_hWnd)) return;
  const std::string line = Narrow(m_line.GetWideText().c_str());
  if (m_send) m_send(line + kLineEnd);
  m_line.SetWideText(L"");
  ::SetFocus(m_line.m_hWnd);
}

void CDlgBoardOutput::OnSaveAs() {
  std::wstring filters = Widen(kSaveFilter);
  for (wchar_t& c : filters) {
    if (c == L'|') c = L'\0';
  }
  std::vector<wchar_t> name(kSaveNameChars, L'\0');
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = m_hWnd;
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = kSaveExtension;
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return;
  // The text as the board sent it: the program's code page, CR LF lines.
  const std::string text = Narrow(Text().c_str());
  HANDLE file = CreateFileW(name.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool saved = file != INVALID_HANDLE_VALUE;
  if (saved) {
    DWORD written = 0;
    saved = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
    saved = CloseHandle(file) && saved;
  }
  if (!saved) ShowRefusedName(m_hWnd, k470::Text(TextId::kBoardOutputNotSaved), name.data());
}

void CDlgBoardOutput::LayOut() {
  if (m_hWnd == nullptr || m_output.m_hWnd == nullptr) return;
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  const RECT unit = DialogUnits(kMarginDu, kRowDu, kGapDu, kLabelDu);
  const int margin = unit.left;
  const int row = unit.top;
  const int gap = unit.right - unit.left;
  // The label as wide as its text in the dialog's font (its template width at most).
  int label = unit.bottom - unit.top;
  const std::wstring labelText = m_lineLabel.GetWideText();
  HDC dc = GetDC(m_lineLabel.m_hWnd);
  if (dc != nullptr) {
    HGDIOBJ old = SelectObject(dc, DialogFont());
    RECT extent = {0, 0, 0, 0};
    DrawTextW(dc, labelText.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(m_lineLabel.m_hWnd, dc);
    if (extent.right > 0 && extent.right < label) label = extent.right;
  }
  const RECT buttons = DialogUnits(0, 0, kButtonDu, kSaveButtonDu);
  const int button = buttons.right;
  const int saveButton = buttons.bottom;
  const int width = client.right;
  const int rowTop = client.bottom - margin - row;
  const int outputHeight = rowTop - 2 * margin > row ? rowTop - 2 * margin : row;
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(m_output.m_hWnd, nullptr, margin, margin, width - 2 * margin, outputHeight, flags);
  int right = width - margin - saveButton;
  SetWindowPos(m_saveAs.m_hWnd, nullptr, right, rowTop, saveButton, row, flags);
  right -= gap + button;
  SetWindowPos(m_clear.m_hWnd, nullptr, right, rowTop, button, row, flags);
  right -= gap + button;
  SetWindowPos(m_sendButton.m_hWnd, nullptr, right, rowTop, button, row, flags);
  SetWindowPos(m_lineLabel.m_hWnd, nullptr, margin, rowTop, label, row, flags);
  const int lineLeft = margin + label + gap;
  const int lineWidth = right - gap - lineLeft;
  SetWindowPos(m_line.m_hWnd, nullptr, lineLeft, rowTop, lineWidth > 0 ? lineWidth : 0, row,
               flags);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDlgBoardOutput::ScaleTo(UINT dpi) {
  // The template's layout sets the template's size: the user's size is kept, then the
  // controls are laid out again at the new scale.
  RECT before = {};
  GetWindowRect(m_hWnd, &before);
  CDialogVl2::ScaleTo(dpi);
  SetWindowPos(m_hWnd, nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  LayOut();
}

INT_PTR CDlgBoardOutput::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      LayOut();
      return TRUE;
    case WM_DESTROY:
      UnregisterModeless(this);
      SaveSize();
      SavePosition(m_iniPath);
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      if (m_hWnd != nullptr && info != nullptr) {
        const RECT smallest = DialogUnits(0, 0, kMinWidthDu, kMinHeightDu);
        info->ptMinTrackSize.x = smallest.right;
        info->ptMinTrackSize.y = smallest.bottom;
      }
      return TRUE;
    }
    default:
      break;
  }
  return CDialogVl2::DialogProc(msg, wp, lp);
}

}  // namespace k470
