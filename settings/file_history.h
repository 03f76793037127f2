// FileHistory: the files a page has used, at most ten, oldest first; the newest is the
// file that the page's jobs take. Also the combo box index rule and the folder of a path.
#pragma once

#include <string>
#include <vector>

namespace k470 {

class FileHistory {
 public:
  static constexpr int kMaxEntries = 10;

  // capacity: room for that many entries; Add never keeps more than kMaxEntries.
  explicit FileHistory(int capacity = kMaxEntries);

  int GetCount() const { return m_count; }
  // The entry at index (0 = oldest), or the empty text when index is out of range.
  const std::string& GetAt(int index) const;
  // GetAt(count - 1): the empty text when the list is empty.
  const std::string& Newest() const { return GetAt(m_count - 1); }
  // Moves the entry at index to the newest place; 0 (and no change) when out of range.
  int MoveToNewest(int index);
  // 1: appended as a new entry (dropping the oldest when ten are held); 0: an equal entry
  // (exact byte comparison, letter case significant) was moved to the newest place instead.
  int Add(const std::string& path);

 private:
  int m_count = 0;
  std::vector<std::string> m_entries;
  std::string m_empty;
};

// The history to save when another instance may have saved its own meanwhile: the entries
// that `onDisk` holds and `atStart` (the file's history when this instance read it) did
// not, those the other instance added, are kept; then `ours` from its oldest, so that this
// instance's entries are the newest.
FileHistory MergeHistory(const FileHistory& atStart, const FileHistory& onDisk,
                         const FileHistory& ours);

// The combo box lists the history newest first (item i shows entry count-1-i). The entry
// index that choosing `selectedItem` refers to (CB_GETCURSEL; -1 for no selection gives
// count, which MoveToNewest refuses).
int HistoryIndexOfComboItem(int count, int selectedItem);

// Whether the INI file can keep `path` as a history entry: a ";" starts a comment there,
// so the value would come back cut and name another file. Such a file is used for the
// session and left out of the saved history.
bool HistoryCanKeep(const std::string& path);

// A path's text up to and including its last backslash; empty when it holds none. The
// second byte of a two-byte character of the system's code page is never taken for a
// backslash.
std::string FolderPart(const std::string& path);

}  // namespace k470
