// A small streaming JSON writer for the simulator's report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k470sim {

class JsonWriter {
 public:
  void BeginObject(const char* key = nullptr);
  void EndObject();
  void BeginArray(const char* key = nullptr);
  void EndArray();
  void String(const char* key, const std::string& value);
  void Number(const char* key, double value);
  void Int(const char* key, int64_t value);
  void Bool(const char* key, bool value);
  void Null(const char* key);
  // A byte sequence as upper-case hex pairs separated by blanks ("3F 06 01").
  void Hex(const char* key, const std::vector<uint8_t>& bytes);
  const std::string& Text() const { return m_text; }

 private:
  void Separate(const char* key);
  std::string m_text;
  std::vector<bool> m_first;  // one entry per open container: nothing written in it yet
};

std::string HexText(const uint8_t* data, size_t n);
inline std::string HexText(const std::vector<uint8_t>& bytes) {
  return HexText(bytes.data(), bytes.size());
}

}  // namespace k470sim
