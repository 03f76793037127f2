#include "base/texts.h"

#include <atomic>

namespace k470 {
namespace {

// An entry without a Japanese or an English text does not build.
#define K470_TEXT(name, japanese, english)                                    \
  static_assert(sizeof(japanese) > 1 && sizeof(english) > 1, #name " lacks a text");
#include "base/texts.def"
#undef K470_TEXT

const TextEntry kEntries[] = {
#define K470_TEXT(name, japanese, english) {#name, japanese, english},
#include "base/texts.def"
#undef K470_TEXT
};
static_assert(sizeof kEntries / sizeof kEntries[0] == static_cast<size_t>(TextId::kCount));

std::atomic<Language> g_language{Language::kJapanese};

}  // namespace

void SetLanguage(Language language) { g_language.store(language); }
Language CurrentLanguage() { return g_language.load(); }

const TextEntry& TextEntryOf(TextId id) { return kEntries[static_cast<size_t>(id)]; }

const char* Text(TextId id, Language language) {
  const TextEntry& entry = TextEntryOf(id);
  return language == Language::kJapanese ? entry.japanese : entry.english;
}

const char* Text(TextId id) { return Text(id, CurrentLanguage()); }

}  // namespace k470
