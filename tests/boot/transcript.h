// Golden transcripts kept as text files beside the tests. A file scripts the far end and
// states the bytes the host must send:
//   >> 11 01 00 EE      the host writes these bytes (one expectation)
//   << 06               the far end answers (belongs to the expectation above)
//   # ...               a comment
#pragma once

#include <string>

namespace k470::test {

// Loads tests/boot/transcripts/<name> into the FakeLine's script. Returns false (and
// adds a gtest failure) when the file cannot be read.
bool ScriptTranscript(const std::string& name);

}  // namespace k470::test
