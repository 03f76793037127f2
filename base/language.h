// Which language the program speaks: K470_LANG=ja or K470_LANG=en when it is set;
// otherwise Japanese for a Japanese user and English for everyone else. On Linux the
// user's locale says it (LC_ALL, LC_MESSAGES, LANG: the first that is set and not empty
// starts with "ja"), on Windows the user's UI language.
#pragma once

#include "base/texts.h"

namespace k470 {

constexpr const char* kLanguageOverrideVariable = "K470_LANG";

// The user's language from this process's environment (and, on Windows, the system).
Language LanguageOfUser();

// The rule itself: `override` is K470_LANG's value (null when unset; a value other than
// "ja" or "en" is ignored), `system` the language the platform gives.
Language ChooseLanguage(const char* override, Language system);

// The locale's language: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides (null for unset).
Language LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace k470
