// The RAM load's status text that reads the same in both languages; its messages are in
// the catalogue (base/texts.def).
#pragma once

namespace k470 {

// Status texts.
constexpr const char* kStatusReadingFile = "reading file...";

}  // namespace k470
