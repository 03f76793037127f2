// The board output window's text: line ends, control bytes and characters split between
// two reads.
#include "ui/board_output_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace k470 {
namespace {

TEST(BoardOutputText, ReadsAsTheWindowShowsIt) {
  struct Row {
    std::vector<std::string> reads;  // what the board sent, read by read
    std::string shown;               // all the window shows
  } rows[] = {
      {{"a\nb\rc\r\n"}, "a\r\nb\r\nc\r\n"},
      {{"a\r", "\nb"}, "a\r\nb"},                    // CR LF split between reads
      {{"\r\r\n"}, "\r\n\r\n"},                      // a lone CR, then CR LF
      {{"\tx\x1b[1m\x7f"}, "\tx<1B>[1m<7F>"},       // TAB stays, controls as hex
      {{std::string("a\0b", 3)}, "a<00>b"},
      {{"\x83", "\x65\r\n"}, "\x83\x65\r\n"},        // a two-byte character split
      {{"\x83\r\n"}, "\x83\r\n"},                    // a lead byte before a line end
      {{"\x83", ""}, ""},                            // still waiting for its second byte
  };
  for (const Row& row : rows) {
    BoardOutputText text;
    std::string shown;
    for (const std::string& read : row.reads) shown += text.Render(read);
    EXPECT_EQ(shown, row.shown) << row.reads[0];
  }
}

TEST(BoardOutputText, ResetForgetsAHalfCharacterAndAPendingCr) {
  BoardOutputText text;
  text.Render("x\r\x83");
  text.Reset();
  EXPECT_EQ(text.Render("\nA"), "\r\nA");
}

}  // namespace
}  // namespace k470
