// Finding a resource in the program's language, with the Japanese one behind it.
#include "ui/dialog_template.h"

#include "base/texts.h"

namespace k470 {
namespace {
// The languages of the two sets of templates in the resource script.
constexpr WORD kJapaneseResources = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD kEnglishResources = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}  // namespace

HRSRC FindProgramResource(HMODULE module, LPCWSTR type, int id) {
  const LPCWSTR name = MAKEINTRESOURCEW(id);
  if (CurrentLanguage() == Language::kEnglish) {
    HRSRC english = FindResourceExW(module, type, name, kEnglishResources);
    if (english != nullptr) return english;
  }
  return FindResourceExW(module, type, name, kJapaneseResources);
}

const DLGTEMPLATE* ProgramDialogTemplate(HMODULE module, int id) {
  // RT_DIALOG, spelled for the wide calls whatever UNICODE says.
  HRSRC info = FindProgramResource(module, MAKEINTRESOURCEW(5), id);
  if (info == nullptr) return nullptr;
  HGLOBAL handle = LoadResource(module, info);
  return handle != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(handle)) : nullptr;
}

}  // namespace k470
