// Widen, Narrow and the file-name checks, over MultiByteToWideChar/WideCharToMultiByte.
#include "ui/wide_text.h"

#include <windows.h>

#include <vector>

namespace k470 {
namespace {

std::wstring ToWide(UINT codePage, DWORD flags, const char* text, bool* exact) {
  if (exact != nullptr) *exact = true;
  if (text == nullptr || *text == '\0') return std::wstring();
  const int length = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
  if (length <= 0) {
    if (exact != nullptr) *exact = false;
    return std::wstring();
  }
  std::vector<wchar_t> wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text, -1, wide.data(), length);
  return std::wstring(wide.data());
}

// `text` in code page 932; `exact` (when asked for) says whether no character was replaced.
std::string ToProgram(const wchar_t* text, bool* exact) {
  if (exact != nullptr) *exact = true;
  if (text == nullptr || *text == L'\0') return std::string();
  BOOL usedDefault = FALSE;
  BOOL* used = exact != nullptr ? &usedDefault : nullptr;
  const int length = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, -1,
                                         nullptr, 0, nullptr, used);
  if (length <= 0) {
    if (exact != nullptr) *exact = false;
    return std::string();
  }
  std::vector<char> narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, -1, narrow.data(), length,
                      nullptr, used);
  if (exact != nullptr) *exact = usedDefault == FALSE;
  return std::string(narrow.data());
}

}  // namespace

std::wstring Widen(const char* text) { return ToWide(kProgramCodePage, 0, text, nullptr); }

std::wstring Widen(const std::string& text) { return Widen(text.c_str()); }

std::string Narrow(const wchar_t* text) { return ToProgram(text, nullptr); }

bool NarrowExact(const wchar_t* text, std::string* out) {
  bool exact = false;
  std::string narrow = ToProgram(text, &exact);
  if (!exact) return false;
  *out = narrow;
  return true;
}

bool PathOpensAsShown(const std::string& path) {
  // The file functions take narrow names in the ANSI code page: the name must read the
  // same there as in code page 932, where the program shows and stores it.
  bool exactHere = false;
  bool exactThere = false;
  const std::wstring shown = ToWide(kProgramCodePage, MB_ERR_INVALID_CHARS, path.c_str(),
                                    &exactHere);
  const std::wstring opened = ToWide(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), &exactThere);
  return exactHere && exactThere && shown == opened;
}

std::string ListedPathForJob(const std::string& path) {
  return PathOpensAsShown(path) ? path : std::string();
}

bool UserPathToProgram(const wchar_t* path, std::string* out) {
  std::string narrow;
  if (path == nullptr || !NarrowExact(path, &narrow)) return false;
  if (!PathOpensAsShown(narrow) || Widen(narrow) != path) return false;
  *out = narrow;
  return true;
}

}  // namespace k470
