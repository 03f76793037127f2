// iniacs: access to one INI file for one batch of reads or writes. Reads go through the
// profile reader (profile.h); writes go either straight to the profile writer (direct
// mode) or into a list of the file's lines that is written back when the object goes
// away (rewrite mode), so that untouched lines come back unchanged and in their place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k470 {

// What an integer read gives for an entry that is not there.
constexpr int32_t kIniAbsent = -1;

class iniacs {
 public:
  iniacs() = default;
  virtual ~iniacs();
  iniacs(const iniacs&) = delete;
  iniacs& operator=(const iniacs&) = delete;

  void SetFile(const std::string& path, int rewrite);
  void SetFile(const char* path, int rewrite);
  // Reads from now on come from `bytes`, a file's contents read once, instead of the file
  // (a file that must not change between one key and the next). Nothing is written.
  void SetText(const std::string& bytes);

  // kIniAbsent when the entry is absent (a stored -1 reads the same).
  int32_t GetInt(const char* section, const char* key);
  // The entry's value, or `absent` when GetInt finds none.
  int32_t GetInt(const char* section, const char* key, int32_t absent);
  // 0 when absent or not plain hexadecimal digits.
  uint32_t GetHex(const char* section, const char* key);
  // The value with its ";" comment cut and trailing blanks (ASCII and full-width)
  // trimmed; false when absent or empty.
  bool GetString(const char* section, const char* key, char* buffer, int size);

  int WriteInt(const char* section, const char* key, int32_t value);
  int WriteHex(const char* section, const char* key, uint32_t value);
  int WriteString(const char* section, const char* key, const char* text);

  // Rewrite mode: removes the entry line of `key` from the section, when there is one.
  int DeleteLine(const char* section, const char* key);

  // Rewrite mode: writes the batch to the file now (the destructor then writes nothing)
  // and tells whether every step of the batch could be done; the reason is FailureReason.
  bool Commit();
  // The system's words for the first step of the batch that failed; empty when none did.
  const std::string& FailureReason() const { return m_failure; }

  // Rewrite mode's line list (public for tests and for the settings writer's checks).
  // Sections and keys are found as the reader finds them: whole names, blanks around
  // them ignored, ASCII letters without regard to case.
  int WriteLine(const char* section, const char* key, const char* value);
  struct EntryPosition {
    bool sectionFound = false;
    int position = -1;
    bool keyFound = false;
  };
  EntryPosition FindEntry(const char* section, const char* key) const;
  bool LoadLines();
  bool SaveLines();
  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  int Write(const char* section, const char* key, const char* text);
  // The profile reader's string read, from the file or from the text.
  int ReadString(const char* section, const char* key, char* buffer, int size);
  void NoteFailure();

  std::string m_path;
  bool m_fromText = false;
  std::string m_text;
  int m_rewrite = 0;
  int m_loaded = 0;
  std::vector<std::string> m_lines;
  bool m_committed = false;
  std::string m_failure;
};

}  // namespace k470
