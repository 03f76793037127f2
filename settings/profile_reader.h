// Portable reader and direct writer of INI files, answering like the Windows profile
// functions (GetPrivateProfileIntA, GetPrivateProfileStringA, WritePrivateProfileStringA)
// for files in code page 932. Used as the profile functions on platforms without them,
// where it reads the files as UTF-8, and compared against the system's in code page 932 in
// the Windows build's tests.
//
// Reading rules:
// - Lines end at every CR or LF byte, also after a lone lead byte of code page 932 (so
//   that the writer, which looks for a line end byte by byte, agrees). Blanks (tab, LF,
//   VT, FF, CR, space and 0x1A) around a line are ignored; lines that are blank are skipped.
// - "[name]" starts a section: the name is the text between the "[" and the LAST "]",
//   blanks around it ignored; text after that "]" is ignored. A line that starts with "["
//   but has no "]" is an entry line.
// - An entry line is "key=value", split at the first "="; blanks around key and value are
//   ignored. A line without "=" is a key without a value: it reads as empty, and it hides
//   a later entry of the same key.
// - Lines before the first section header belong to a section named "".
// - Section and key names compare without regard to ASCII letter case; blanks around the
//   asked names are ignored. The first section of a name is the only one searched, and
//   its first entry of a key wins.
// - A value that begins and ends with the same quote character (" or ') loses both quotes.
// - No comment rule: ";" is an ordinary character for this reader.
#pragma once

#include <string>

#include "base/mbcs.h"

namespace k470 {

// Every operation takes the coding of the file's text: how its bytes group into characters.

// GetPrivateProfileStringA: copies the value (or `def`, without its trailing spaces, when
// the entry is absent or has no value) into buffer, cut to size - 1 bytes and never in the
// middle of a two-byte character, NUL-terminated. Returns the number of bytes copied; 0
// and nothing touched when size is 0. A missing file reads as an empty one.
int PortableProfileGetString(TextCoding coding, const char* section, const char* key,
                             const char* def, char* buffer, int size, const char* path);

// GetPrivateProfileIntA: the value read as a whole number (leading blanks and one sign
// allowed; decimal, or hexadecimal, octal or binary after "0x", "0o" or "0b"; reading stops
// at the first character that is no digit, wrapping at 32 bits); `def` when the entry is
// absent or empty.
int PortableProfileGetInt(TextCoding coding, const char* section, const char* key, int def,
                          const char* path);

// WritePrivateProfileStringA: replaces the value of the first matching entry in its line,
// or adds "key=value" after the last entry of the section, or appends the section with the
// entry at the end of the file, creating the file. Every other byte of the file stays as
// it was; new lines end in CR LF. Returns false when the file cannot be written.
bool PortableProfileWriteString(TextCoding coding, const char* section, const char* key,
                                const char* value, const char* path);

// The same three operations on file contents held in memory (the file's bytes).
int ProfileTextGetString(TextCoding coding, const std::string& text, const char* section,
                         const char* key, const char* def, char* buffer, int size);
int ProfileTextGetInt(TextCoding coding, const std::string& text, const char* section,
                      const char* key, int def);
std::string ProfileTextWriteString(TextCoding coding, const std::string& text,
                                   const char* section, const char* key, const char* value);

}  // namespace k470
