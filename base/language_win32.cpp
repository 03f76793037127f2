#include <windows.h>

#include "base/language.h"

namespace k470 {

Language LanguageOfUser() {
  const Language system = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE
                              ? Language::kJapanese
                              : Language::kEnglish;
  char value[8];
  const DWORD length = GetEnvironmentVariableA(kLanguageOverrideVariable, value, sizeof value);
  // Unset, or longer than any value the rule knows: the system decides.
  if (length == 0 || length >= sizeof value) return system;
  return ChooseLanguage(value, system);
}

}  // namespace k470
