// CFileSelector: the file selector of a tab page, one class for both pages: the page's file
// history, its combo box (control 1003, newest first), the browse button (1004) and the
// files dropped onto the main window while the page is shown.
#pragma once

#include <string>

#include "settings/file_history.h"
#include "ui/wnd.h"

namespace k470 {

class CFileSelector {
 public:
  CFileSelector() : m_history(FileHistory::kMaxEntries) {}
  CFileSelector(const CFileSelector&) = delete;
  CFileSelector& operator=(const CFileSelector&) = delete;

  // Binds the combo box of `page`.
  void Attach(CWnd* page);

  // The browse button and the combo's selection change; false for any other command, which
  // the page handles itself.
  bool OnCommand(int id, int code);

  // A file the user named (browsed or dropped) becomes the newest, and the list is
  // refilled; a folder is refused with a message (false), the list stays as it was.
  bool AddFile(const std::string& path);

  // Before a job takes the newest entry: a name typed into the box (not chosen from the
  // list) that names an existing file becomes the newest entry, so that the job takes the
  // file the box shows; one that names no file is refused with the file-read message and
  // false is returned.
  bool TakeTypedName();

  // Rebuilds the list from the history (newest first) and selects item 0.
  void Refill();

  FileHistory& History() { return m_history; }
  const FileHistory& History() const { return m_history; }
  CComboBox& Combo() { return m_combo; }

 private:
  void OnBrowse();
  void OnSelChange();

  FileHistory m_history;
  CComboBox m_combo;
};

}  // namespace k470
