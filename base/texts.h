// The program's texts in the language of its user: Japanese or English, chosen once as
// the program starts (language.h) and read by every layer through Text().
#pragma once

#include <cstddef>
#include <string>

namespace k470 {

enum class Language { kJapanese, kEnglish };

enum class TextId {
#define K470_TEXT(name, japanese, english) name,
#include "base/texts.def"
#undef K470_TEXT
  kCount
};

struct TextEntry {
  const char* name;
  const char* japanese;
  const char* english;
};

// The language of every Text() from now on; Japanese until it is set. Set it once, as the
// program starts and before any job's thread runs.
void SetLanguage(Language language);
Language CurrentLanguage();

const char* Text(TextId id);
const char* Text(TextId id, Language language);

// The catalogue's entry of `id` (for the tests that hold it against its golden list).
const TextEntry& TextEntryOf(TextId id);

}  // namespace k470
