// Shared pieces of the fuzz targets: a check that stops the run with a message (the
// fuzzing engine keeps the input as a finding, the replay runner fails), and the scratch
// file every target hands its input through.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                               \
  do {                                                                            \
    if (!(condition)) ::k470::fuzz::Fail(__FILE__, __LINE__, #condition, (what)); \
  } while (0)

namespace k470::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition,
                              const std::string& what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition, what.c_str());
  std::abort();
}

// A file below $TMPDIR (or /tmp) named after the target and the process, so that
// parallel runs do not share it.
inline std::string ScratchPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  return path + "/k470_" + name + "_" + std::to_string(static_cast<long>(getpid()));
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr, "cannot write " + path);
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

inline std::string ReadFile(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return text;
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
  std::fclose(f);
  return text;
}

}  // namespace k470::fuzz
