#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/language.h"
#include "base/texts.h"

namespace k470 {
namespace {

// The golden list's escapes back to bytes (only "\r\n" occurs).
std::string Unescape(std::string text) {
  for (size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
  return text;
}

size_t CountFormats(const std::string& text, const std::string& mark) {
  size_t n = 0;
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) ++n;
  return n;
}

TEST(Texts, JapaneseAreTheGoldenListAndEnglishAreAsciiWithTheSameSlots) {
  std::ifstream golden(K470_TEXTS_GOLDEN);
  ASSERT_TRUE(golden) << K470_TEXTS_GOLDEN;
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::string line; std::getline(golden, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    rows.emplace_back(line.substr(0, tab), Unescape(line.substr(tab + 1)));
  }
  ASSERT_EQ(rows.size(), static_cast<size_t>(TextId::kCount));
  for (size_t i = 0; i < rows.size(); ++i) {
    const TextEntry& entry = TextEntryOf(static_cast<TextId>(i));
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(rows[i].first, entry.name);
    EXPECT_EQ(rows[i].second, entry.japanese);
    const std::string english = entry.english;
    for (char c : english) {
      EXPECT_TRUE((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n') << english;
    }
    // Every slot is a "%s", as many in one text as in the other.
    EXPECT_EQ(CountFormats(entry.japanese, "%"), CountFormats(english, "%"));
    EXPECT_EQ(CountFormats(english, "%s"), CountFormats(english, "%"));
  }
}

TEST(Texts, TheOverrideThenTheFirstLocaleVariableSetDecide) {
  struct Row {
    const char* override;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Language want;
  } rows[] = {
      {nullptr, nullptr, nullptr, "ja_JP.UTF-8", Language::kJapanese},
      {nullptr, nullptr, nullptr, "C.UTF-8", Language::kEnglish},
      {nullptr, nullptr, nullptr, nullptr, Language::kEnglish},
      {nullptr, "C", nullptr, "ja_JP.UTF-8", Language::kEnglish},          // LC_ALL first
      {nullptr, "", "ja_JP.eucJP", "en_US.UTF-8", Language::kJapanese},    // empty is unset
      {"en", nullptr, nullptr, "ja_JP.UTF-8", Language::kEnglish},
      {"ja", "en_GB.UTF-8", nullptr, nullptr, Language::kJapanese},
      {"fr", nullptr, nullptr, "ja_JP.UTF-8", Language::kJapanese},        // unknown: ignored
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ChooseLanguage(row.override, LocaleLanguage(row.lcAll, row.lcMessages, row.lang)),
              row.want)
        << (row.override ? row.override : "-") << " " << (row.lang ? row.lang : "-");
  }
}

}  // namespace
}  // namespace k470
