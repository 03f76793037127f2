// CFileSelector: the history combo box, the browse button and dropped files of a page.
#include "ui/file_selector.h"

#include "ui/file_dialogs.h"
#include "ui/resource.h"

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

void CFileSelector::AddFile(const std::string& path) {
  m_history.Add(path);
  Refill();
}

void CFileSelector::Refill() {
  m_combo.ResetContent();
  for (int index = m_history.GetCount() - 1; index >= 0; --index)
    m_combo.AddString(m_history.GetAt(index).c_str());
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
