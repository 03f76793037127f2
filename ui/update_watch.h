// UpdateWatch: decides when a page's update mark turns green: a file seen for the first
// time after the watch was first switched on, another file becoming current, or a new
// modification time of the current file. Portable; the pages feed it the file status.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

class UpdateWatch {
 public:
  // The watch is switched on. Only the first switch-on forgets the watched name, so the
  // mark turns green at the next tick for any existing current file; later switch-ons
  // keep name and time and react only to a change made meanwhile.
  void SwitchOn() {
    if (m_firstEnable) {
      m_firstEnable = false;
      m_name.clear();
    }
  }

  // One tick with the current file name and its status: `readable` false when the
  // file's modification time could not be read (no such file, empty name). Returns true
  // when the mark is to turn green.
  bool Tick(const std::string& current, bool readable, int64_t modified) {
    if (!readable) return false;
    if (current != m_name) {
      m_name = current;
      m_time = modified;
      return true;
    }
    if (modified != m_time) {
      m_time = modified;
      return true;
    }
    return false;
  }

  // What a job saw when it read the current file: the next tick compares with that, so
  // a change made while the job ran turns the mark green afterwards.
  void Remember(const std::string& current, bool readable, int64_t modified) {
    if (!readable) return;
    m_name = current;
    m_time = modified;
  }

  const std::string& WatchedName() const { return m_name; }

 private:
  bool m_firstEnable = true;
  std::string m_name;
  int64_t m_time = 0;
};

// The last modification time of a file (100 ns units on Windows); false when its status
// cannot be read. The platform half lives in file_time_win32.cpp.
bool FileModifiedTime(const std::string& path, int64_t* modified);

}  // namespace k470
