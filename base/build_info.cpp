// The version texts, with the commit that the build wrote into build_commit.h.
#include "base/build_info.h"

#include "build_commit.h"

namespace k470 {

const char* BuildCommit() { return K470_BUILD_COMMIT; }

std::string VersionText() {
  const std::string commit = BuildCommit();
  return commit.empty() ? std::string(kProgramVersion)
                        : std::string(kProgramVersion) + " (commit " + commit + ")";
}

std::string VersionLine(const char* program) { return std::string(program) + " " + VersionText(); }

}  // namespace k470
