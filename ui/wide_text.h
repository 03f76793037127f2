// The one place where the program's narrow texts meet the system's UTF-16 texts: window
// and control texts, list items, tab labels, message boxes, file dialogs, dropped files.
// The program's texts are in code page 932 whatever code page the user's Windows runs
// non-Unicode programs in, so they are converted with code page 932 itself, never with the
// system's ANSI code page: the Japanese texts then read the same on any Windows.
#pragma once

#include <string>

namespace k470 {

// The program's code page: its literals, file names, INI values and device table.
constexpr unsigned kProgramCodePage = 932;

// A text of the program as UTF-16; bytes that are no code page 932 character become the
// replacement character. Null reads as "".
std::wstring Widen(const char* text);
std::wstring Widen(const std::string& text);

// A UTF-16 text as the program's narrow text. A character code page 932 cannot hold
// becomes "?" (never a look-alike: no best-fit mapping). Null reads as "".
std::string Narrow(const wchar_t* text);

// The same, but only when every character converts exactly; false (and `out` untouched)
// when one does not.
bool NarrowExact(const wchar_t* text, std::string* out);

// A file name the user gave (open-file dialog, drop) as a name the program can hand to its
// file functions. Those read their narrow names in the system's ANSI code page, so the name
// is taken only when its code page 932 bytes read back there as the same name: on a
// Japanese Windows every name code page 932 holds, elsewhere names in the characters both
// code pages share (ASCII). False for any other name: it must not open a different file.
bool UserPathToProgram(const wchar_t* path, std::string* out);

// True when the program's file functions open `path` (code page 932 bytes, as the file
// lists hold it) as the file its shown name says.
bool PathOpensAsShown(const std::string& path);

// The name a job is given for a listed file: the name itself, or no name when it would
// open a different file here (the job then fails with its message for a file that cannot
// be opened).
std::string ListedPathForJob(const std::string& path);

}  // namespace k470
