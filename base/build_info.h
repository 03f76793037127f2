// The program's version and the commit of the source tree it was built from, as
// `--version` and the about box show them.
#pragma once

#include <string>

namespace k470 {

constexpr const char* kProgramVersion = "2.00";

// The commit the program was built from (a git checkout's short hash, taken at build
// time); empty for a build from a tree outside git.
const char* BuildCommit();

// "2.00 (commit 1a2b3c4d5e)", or "2.00" without a commit.
std::string VersionText();

// What `--version` prints: "k470 2.00 (commit 1a2b3c4d5e)".
std::string VersionLine(const char* program);

}  // namespace k470
