// The board's bytes as the output window shows them: line ends of any kind become the
// edit control's CR LF, control bytes are shown as their hexadecimal value, and a
// two-byte character split between two reads is kept whole.
#pragma once

#include <string>

namespace k470 {

class BoardOutputText {
 public:
  // The display form of the next bytes the board sent (program code page). CR LF, LF and
  // a lone CR each end a line; TAB stays; any other byte below 0x20 and DEL read as
  // "<1B>". A lead byte at the end waits for the next call.
  std::string Render(const std::string& bytes);

  // Forgets what a previous run left half done.
  void Reset();

 private:
  bool m_afterCr = false;  // the last byte was a CR: an LF right after it is part of it
  std::string m_lead;      // a lead byte waiting for its second byte
};

}  // namespace k470
