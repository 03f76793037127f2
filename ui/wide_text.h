// The one place where the program's narrow texts meet the system's UTF-16 texts: window
// and control texts, list items, tab labels, message boxes, file dialogs, dropped files.
// Two kinds of narrow text meet there:
// - the program's own texts (its literals) are in code page 932 whatever code page the
//   user's Windows runs non-Unicode programs in, so they are converted with code page 932
//   itself: the Japanese texts then read the same on any Windows;
// - file names, INI values and the system's own texts (its error texts) are in the
//   system's ANSI code page, the one its file and profile functions read and write (1252
//   on an English Windows, 932 on a Japanese one), and are converted with that.
#pragma once

#include <string>

namespace k470 {

// The code page of the program's own texts.
constexpr unsigned kProgramCodePage = 932;

// A text of the program as UTF-16; bytes that are no code page 932 character become the
// replacement character. Null reads as "".
std::wstring Widen(const char* text);
std::wstring Widen(const std::string& text);

// A UTF-16 text as the program's narrow text. A character code page 932 cannot hold
// becomes "?" (never a look-alike: no best-fit mapping). Null reads as "".
std::string Narrow(const wchar_t* text);

// A file name, an INI value or a system text (system's ANSI code page) as UTF-16.
std::wstring WidenName(const std::string& name);

// A text of the program whose "%s" is filled with a name already in UTF-16 (one that
// WidenName gave): the two halves come from different code pages, so they meet in UTF-16.
std::wstring FillWide(const char* format, const std::wstring& name);

// A file name the user gave (open-file dialog, drop, typed) in the system's ANSI code
// page, as the file functions will read it. False (and `out` untouched) when the code page
// cannot hold a character of it: the name must not become one that opens another file.
bool NarrowName(const wchar_t* name, std::string* out);

}  // namespace k470
