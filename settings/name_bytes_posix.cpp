// IsNameLeadByte elsewhere. Only the window program steps through names; natively its
// portable rules are tested as on the Windows the program was made for, a Japanese one:
// code page 932's first bytes.
#include "settings/name_bytes.h"

#include "base/mbcs.h"

namespace k470 {

bool IsNameLeadByte(uint8_t b) { return IsMbcsLead(b); }

}  // namespace k470
