#include "base/language.h"

#include <cstring>

namespace k470 {

Language ChooseLanguage(const char* override, Language system) {
  if (override != nullptr) {
    if (std::strcmp(override, "ja") == 0) return Language::kJapanese;
    if (std::strcmp(override, "en") == 0) return Language::kEnglish;
  }
  return system;
}

Language LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || *value == '\0') continue;
    return std::strncmp(value, "ja", 2) == 0 ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

}  // namespace k470
