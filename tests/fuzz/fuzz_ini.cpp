// fuzz_ini: arbitrary file contents as an INI file. A few sections and keys are read (any
// answer will do, as long as nothing is read or written out of bounds), then a batch of
// entries is written in rewrite mode and, into a second copy, in direct mode; every
// written entry must read back equal. The values are texts of both code pages the
// program meets: Shift-JIS (the Windows build) and UTF-8 (the native build).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/iniacs.h"
#include "base/mbcs.h"
#include "settings/profile_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace k470;

enum class Kind { Int, Hex, String };

struct Entry {
  const char* section;
  const char* key;
  Kind kind;
  int32_t number;
  const char* text;
};

const Entry kEntries[] = {
    {"System", "Port", Kind::Int, 7, nullptr},
    {"System", "Rate", Kind::Int, -38400, nullptr},
    {"RamLoad", "Address", Kind::Hex, 0x200000, nullptr},
    {"Option", "RunAppName", Kind::String, 0, "C:\\Tools\\run app.exe"},
    {"History", "name1", Kind::String, 0, "C:\\\x83\x65\x83\x58\x83\x67\\\x95\x5C.mot"},
    {"History", "name2", Kind::String, 0, "/home/\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88/a.mot"},
    {"Fuzz", "Key", Kind::String, 0, "value"},
};

// Reads before the writes: every read parses the whole file again, so a few pairs.
struct Name {
  const char* section;
  const char* key;
};
const Name kReads[] = {{"System", "Port"}, {"Option", "RunApp"}, {"Type", "Type0"}, {"", ""},
                       {"s", "k"}};
const int kReadSizes[] = {1, 2, 256};

// Blanks around names and values, as the reader skips them.
bool IsBlank(uint8_t c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

std::string Folded(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool ContainsFolded(const std::string& text, const std::string& name) {
  return Folded(text).find(Folded(name)) != std::string::npos;
}

// Whether the rewrite-mode writer and the reader see the same lines for `section` and
// `key` in `text`. They differ by design where the writer matches bytes at the start of a
// line (letter case significant, a key matching any longer key) and the reader ignores
// blanks and letter case and also ends a line at a lone CR: a file with such a line for
// these names may read back another entry than the one written.
bool SameViewOf(const std::string& text, const std::string& section, const std::string& key) {
  const std::string header = "[" + section + "]";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r' && end < text.size()) line.pop_back();
    start = end + 1;

    // Pieces of the line that the reader sees as lines of their own.
    size_t pieceStart = 0;
    const bool wholeLine = line.find('\r') == std::string::npos;
    for (bool first = true; pieceStart <= line.size(); first = false) {
      size_t pieceEnd = line.find('\r', pieceStart);
      if (pieceEnd == std::string::npos) pieceEnd = line.size();
      const std::string piece = line.substr(pieceStart, pieceEnd - pieceStart);
      pieceStart = pieceEnd + 1;
      size_t b = 0;
      while (b < piece.size() && IsBlank(static_cast<uint8_t>(piece[b]))) ++b;
      if (b < piece.size() && piece[b] == '[' && (!first || b != 0)) return false;
      const std::string head = piece.substr(0, piece.find('='));
      if (ContainsFolded(head, section) || ContainsFolded(head, key)) {
        if (!wholeLine || !(piece == header || head == key)) return false;
      }
    }
  }
  return true;
}

void Write(iniacs& ini, const Entry& e) {
  switch (e.kind) {
    case Kind::Int: ini.WriteInt(e.section, e.key, e.number); break;
    case Kind::Hex: ini.WriteHex(e.section, e.key, static_cast<uint32_t>(e.number)); break;
    case Kind::String: ini.WriteString(e.section, e.key, e.text); break;
  }
}

void CheckReadBack(const std::string& path, const Entry& e, const char* mode) {
  iniacs ini;
  ini.SetFile(path, 0);
  const std::string what = std::string(mode) + " mode: " + e.section + "/" + e.key;
  switch (e.kind) {
    case Kind::Int:
      FUZZ_CHECK(ini.GetInt(e.section, e.key) == e.number, what + " reads back another number");
      break;
    case Kind::Hex:
      FUZZ_CHECK(ini.GetHex(e.section, e.key) == static_cast<uint32_t>(e.number),
                 what + " reads back another number");
      break;
    case Kind::String: {
      char buffer[256];
      FUZZ_CHECK(ini.GetString(e.section, e.key, buffer, sizeof buffer), what + " reads as absent");
      FUZZ_CHECK(std::strcmp(buffer, e.text) == 0, what + " reads back as \"" + buffer + "\"");
      break;
    }
  }
}

void ReadAround(const std::string& path, const std::string& text) {
  iniacs ini;
  ini.SetFile(path, 0);
  for (const Name& name : kReads) {
    {
      const char* section = name.section;
      const char* key = name.key;
      ini.GetInt(section, key);
      ini.GetHex(section, key);
      for (int size : kReadSizes) {
        std::vector<char> buffer(static_cast<size_t>(size));
        if (ini.GetString(section, key, buffer.data(), size)) {
          FUZZ_CHECK(std::memchr(buffer.data(), '\0', buffer.size()) != nullptr,
                     "GetString left its text without an end");
        }
        // The portable reader in both code-page modes.
        for (TextCoding coding : {TextCoding::kCp932, TextCoding::kUtf8}) {
          std::vector<char> raw(static_cast<size_t>(size) + 1, 'X');
          const int n = ProfileTextGetString(coding, text, section, key, "", raw.data(), size);
          FUZZ_CHECK(n >= 0 && n < size && raw[static_cast<size_t>(n)] == '\0' &&
                         raw[static_cast<size_t>(size)] == 'X',
                     "ProfileTextGetString wrote outside its buffer");
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string rewritePath = k470::fuzz::ScratchPath("fuzz_ini_rewrite.ini");
  static const std::string directPath = k470::fuzz::ScratchPath("fuzz_ini_direct.ini");
  const std::string text(reinterpret_cast<const char*>(data), size);
  k470::fuzz::WriteFile(rewritePath, data, size);
  k470::fuzz::WriteFile(directPath, data, size);

  ReadAround(rewritePath, text);

  {
    iniacs rewrite;
    rewrite.SetFile(rewritePath, 1);
    for (const Entry& e : kEntries) Write(rewrite, e);
  }  // the lines are written back here
  {
    iniacs direct;
    direct.SetFile(directPath, 0);
    for (const Entry& e : kEntries) Write(direct, e);
  }

  for (const Entry& e : kEntries)
    if (SameViewOf(text, e.section, e.key)) CheckReadBack(rewritePath, e, "rewrite");
  for (const Entry& e : kEntries) CheckReadBack(directPath, e, "direct");
  return 0;
}
