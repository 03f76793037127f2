// CFileSelector: the history combo box, the browse button and dropped files of a page.
#include "ui/file_selector.h"

#include "base/texts.h"
#include "ui/file_dialogs.h"
#include "ui/resource.h"
#include "ui/wide_text.h"

namespace k470 {

void CFileSelector::Attach(CWnd* page) { m_combo.SubclassDlgItem(IDC_COMBO_FILE, page); }

bool CFileSelector::OnCommand(int id, int code) {
  if (id == IDC_BUTTON_BROWSE) {
    if (code == BN_CLICKED) OnBrowse();
    return true;
  }
  if (id == IDC_COMBO_FILE && code == CBN_SELCHANGE) {
    OnSelChange();
    return true;
  }
  return false;
}

bool CFileSelector::AddFile(const std::string& path) {
  // A folder would stay in the list and fail only at the next job: refused now, with the
  // jobs' message for a file that cannot be opened.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ShowRefusedName(GetAncestor(m_combo.m_hWnd, GA_ROOT), Text(TextId::kFileFormatInvalid), WidenName(path));
    return false;
  }
  m_history.Add(path);
  Refill();
  return true;
}

bool CFileSelector::TakeTypedName() {
  const std::wstring shown = m_combo.GetWideText();
  if (shown.empty() || shown == WidenName(m_history.Newest())) return true;
  HWND owner = GetAncestor(m_combo.m_hWnd, GA_ROOT);
  std::string path;
  if (!TakeUserPath(owner, shown.c_str(), &path)) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ShowRefusedName(owner, Text(TextId::kFileFormatInvalid), shown);
    return false;
  }
  return AddFile(path);
}

void CFileSelector::Refill() {
  m_combo.ResetContent();
  for (int index = m_history.GetCount() - 1; index >= 0; --index)
    m_combo.AddString(WidenName(m_history.GetAt(index)));
  m_combo.SetCurSel(0);
}

// The open-file dialog for S-record files, starting in the newest entry's folder.
void CFileSelector::OnBrowse() {
  std::string path;
  if (RunOpenFileDialog(kMotFileFilter, FolderPart(m_history.Newest()), &path)) AddFile(path);
}

// The chosen entry becomes the newest.
void CFileSelector::OnSelChange() {
  m_history.MoveToNewest(HistoryIndexOfComboItem(m_history.GetCount(), m_combo.GetCurSel()));
  Refill();
}

}  // namespace k470
