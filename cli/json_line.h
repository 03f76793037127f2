// One JSON event of `k470 --json`: an object on a line of its own on stdout, texts in
// UTF-8 ({"event":"progress","done":1024,"total":262144,"address":"00200400"}).
#pragma once

#include <cstdint>
#include <string>

namespace k470::cli {

class JsonLine {
 public:
  explicit JsonLine(const char* event);

  // A text of the program (its own encoding), written as a JSON string in UTF-8.
  JsonLine& Text(const char* key, const std::string& value);
  // A text of the system (a file or port name, the system's words), from its encoding.
  JsonLine& SystemText(const char* key, const std::string& value);
  // A text that is UTF-8 already (what a board sent), written without conversion.
  JsonLine& Utf8(const char* key, const std::string& value);
  JsonLine& Number(const char* key, int64_t value);
  JsonLine& Seconds(const char* key, double value);  // three decimals
  JsonLine& Hex8(const char* key, uint32_t value);   // "00200400"
  JsonLine& Flag(const char* key, bool value);       // true or false

  // Writes the line to stdout at once (one writer at a time).
  void Emit();

 private:
  void Key(const char* key);
  std::string m_text;
};

}  // namespace k470::cli
