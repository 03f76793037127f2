// FileHistory and its helpers.
#include "settings/file_history.h"

#include "settings/name_bytes.h"

namespace k470 {

FileHistory::FileHistory(int capacity) {
  if (capacity < 0) capacity = 0;
  if (capacity > kMaxEntries) capacity = kMaxEntries;
  m_entries.resize(static_cast<size_t>(capacity));
}

const std::string& FileHistory::GetAt(int index) const {
  if (index < 0 || index >= m_count) return m_empty;
  return m_entries[static_cast<size_t>(index)];
}

int FileHistory::MoveToNewest(int index) {
  if (index < 0 || index >= m_count) return 0;
  std::string kept = std::move(m_entries[static_cast<size_t>(index)]);
  for (int i = index; i < m_count - 1; ++i)
    m_entries[static_cast<size_t>(i)] = std::move(m_entries[static_cast<size_t>(i) + 1]);
  m_entries[static_cast<size_t>(m_count) - 1] = std::move(kept);
  return 1;
}

int FileHistory::Add(const std::string& path) {
  for (int i = 0; i < m_count; ++i) {
    if (m_entries[static_cast<size_t>(i)] == path) {
      MoveToNewest(i);
      return 0;
    }
  }
  if (m_entries.empty()) return 0;
  if (m_count == static_cast<int>(m_entries.size())) {
    for (int i = 1; i < m_count; ++i)
      m_entries[static_cast<size_t>(i) - 1] = std::move(m_entries[static_cast<size_t>(i)]);
    --m_count;
  }
  m_entries[static_cast<size_t>(m_count)] = path;
  ++m_count;
  return 1;
}

namespace {
bool Holds(const FileHistory& history, const std::string& path) {
  for (int i = 0; i < history.GetCount(); ++i) {
    if (history.GetAt(i) == path) return true;
  }
  return false;
}
}  // namespace

FileHistory MergeHistory(const FileHistory& atStart, const FileHistory& onDisk,
                         const FileHistory& ours) {
  FileHistory merged;
  for (int i = 0; i < onDisk.GetCount(); ++i) {
    if (!Holds(atStart, onDisk.GetAt(i))) merged.Add(onDisk.GetAt(i));
  }
  for (int i = 0; i < ours.GetCount(); ++i) merged.Add(ours.GetAt(i));
  return merged;
}

int HistoryIndexOfComboItem(int count, int selectedItem) {
  if (selectedItem < 0) return count;
  return count - selectedItem - 1;
}

bool HistoryCanKeep(const std::string& path) {
  // No byte of a two-byte character is below 0x40, so any ";" is one.
  return path.find(';') == std::string::npos;
}

std::string FolderPart(const std::string& path) {
  size_t end = 0;  // one past the last backslash seen
  for (size_t i = 0; i < path.size();) {
    size_t n = NameCharLength(path.data(), path.size(), i);
    if (n == 1 && path[i] == '\\') end = i + 1;
    i += n;
  }
  return path.substr(0, end);
}

}  // namespace k470
