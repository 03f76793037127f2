// The board states that the detection reports (lParam of WM_BOARD_STATE) and the text
// shown for each.
#pragma once

namespace k470 {

constexpr int BOARD_NO_REPLY = 0;  // no prompt arrived in the last period
constexpr int BOARD_K470L = 1;     // prompt "k470l>"
constexpr int BOARD_K471L = 2;     // prompt "k471l>"
constexpr int BOARD_K472L = 3;     // prompt "k472l>"
constexpr int BOARD_OTHER = 4;     // a prompt, but of no board of the family
// The port's device has gone (an unplugged adapter): the detection has stopped. Posted
// after BOARD_NO_REPLY; the page disconnects and shows the loss.
constexpr int BOARD_PORT_LOST = 5;

// "no reply", "exist K470L", "exist K471L", "exist K472L", "non K47xL"; an empty text for
// any other value (the loss of the port is told with the port's name).
const char* BoardStateText(int state);

// True for the three boards of the family (Load and Go are possible).
inline bool IsFamilyBoard(int state) { return state >= BOARD_K470L && state <= BOARD_K472L; }

}  // namespace k470
