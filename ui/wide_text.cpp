// Widen, Narrow and the file-name conversions, over MultiByteToWideChar/WideCharToMultiByte.
#include "ui/wide_text.h"

#include <windows.h>

#include <vector>

namespace k470 {
namespace {

std::wstring ToWide(UINT codePage, const char* text) {
  if (text == nullptr || *text == '\0') return std::wstring();
  const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  return std::wstring(wide.data());
}

// No best-fit look-alikes; UTF-8 (a system code page too) takes no such flag.
std::string ToNarrow(UINT codePage, const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(codePage, flags, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::vector<char> narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text, -1, narrow.data(), length, nullptr, nullptr);
  return std::string(narrow.data());
}

}  // namespace

std::wstring Widen(const char* text) { return ToWide(kProgramCodePage, text); }

std::wstring Widen(const std::string& text) { return Widen(text.c_str()); }

std::string Narrow(const wchar_t* text) { return ToNarrow(kProgramCodePage, text); }

std::wstring WidenName(const std::string& name) { return ToWide(CP_ACP, name.c_str()); }

std::wstring FillWide(const char* format, const std::wstring& name) {
  std::wstring filled = Widen(format);
  const size_t slot = filled.find(L"%s");
  if (slot != std::wstring::npos) filled.replace(slot, 2, name);
  return filled;
}

bool NarrowName(const wchar_t* name, std::string* out) {
  if (name == nullptr) return false;
  // A character the code page lacks became "?" (or nothing): the name no longer reads
  // back as itself.
  std::string narrow = ToNarrow(GetACP(), name);
  if (narrow.empty() != (*name == L'\0') || WidenName(narrow) != name) return false;
  *out = narrow;
  return true;
}

}  // namespace k470
