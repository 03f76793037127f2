// Texts of the board states.
#include "monitor/board_state.h"

namespace k470 {

const char* BoardStateText(int state) {
  switch (state) {
    case BOARD_NO_REPLY: return "no reply";
    case BOARD_K470L: return "exist K470L";
    case BOARD_K471L: return "exist K471L";
    case BOARD_K472L: return "exist K472L";
    case BOARD_OTHER: return "non K47xL";
    default: return "";
  }
}

}  // namespace k470
