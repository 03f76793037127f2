// IsNameLeadByte on Windows: the first bytes of the system's ANSI code page.
#include "settings/name_bytes.h"

#include <windows.h>

namespace k470 {

bool IsNameLeadByte(uint8_t b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace k470
