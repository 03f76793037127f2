#include <cstdlib>

#include "base/language.h"

namespace k470 {

Language LanguageOfUser() {
  Language locale = LocaleLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                   std::getenv("LANG"));
  return ChooseLanguage(std::getenv(kLanguageOverrideVariable), locale);
}

}  // namespace k470
