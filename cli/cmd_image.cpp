// k470 image: reads an S-record file into an image window as a load or a write would, and
// prints the reader's result and the data's bounds; optionally writes the window out.
#include <cstdio>
#include <new>
#include <vector>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/job_runner.h"
#include "cli/json_line.h"
#include "jobs/mot_file2bin.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 image FILE --base HEX --size HEX [--out BIN] [--json]\n"
    "  Reads the S-record FILE into the window base .. base+size-1 (filled with FF first)\n"
    "  and prints \"<MOT_OK|MOT_OPEN_FAILED|MOT_FORMAT_ERROR|MOT_NO_DATA> low=XXXXXXXX\n"
    "  high=XXXXXXXX\". With --out, writes the whole window (size bytes) to BIN when the\n"
    "  result is MOT_OK. With --json the result is one {\"event\":\"image\",...} line.\n"
    "  Exit status 0 for MOT_OK, else 1.\n";

constexpr uint32_t kMaxWindowBytes = 0x1000000;  // 16 MiB: more than any target holds

const char* ResultName(int result) {
  switch (result) {
    case MOT_OK: return "MOT_OK";
    case MOT_OPEN_FAILED: return "MOT_OPEN_FAILED";
    case MOT_FORMAT_ERROR: return "MOT_FORMAT_ERROR";
    case MOT_NO_DATA: return "MOT_NO_DATA";
    default: return "MOT_CANCELLED";
  }
}

bool WriteWindow(const std::string& path, const std::vector<uint8_t>& image) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(image.data(), 1, image.size(), f) == image.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

int CmdImage(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv,
                  {{"--base", true}, {"--size", true}, {"--out", true}, {"--json", false}})) {
    return UsageError(kUsage, args.Error());
  }
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (args.Positionals().size() != 1) return UsageError(kUsage, "one FILE is needed");
  uint32_t base = 0;
  uint32_t size = 0;
  if (!args.Has("--base") || !ParseHex(args.Value("--base"), &base)) {
    return UsageError(kUsage, "--base needs a hexadecimal address");
  }
  if (!args.Has("--size") || !ParseHex(args.Value("--size"), &size)) {
    return UsageError(kUsage, "--size needs a hexadecimal byte count");
  }
  if (size == 0 || size > kMaxWindowBytes) return UsageError(kUsage, "--size must be 1 .. 1000000");
  if (base + (size - 1) < base) return UsageError(kUsage, "the window runs past address FFFFFFFF");
  if (args.Has("--out") && args.Value("--out").empty()) return UsageError(kUsage, "--out needs a file");

  std::vector<uint8_t> image;
  try {
    image.resize(size);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "k470: not enough memory for the window\n");
    return kExitFailed;
  }
  MotFile2Bin reader;
  if (!reader.Start(args.Positionals()[0], image.data(), size, base)) {
    std::fprintf(stderr, "k470: cannot start the reader\n");
    return kExitFailed;
  }
  const JobWait wait = WaitForJob(reader);
  uint32_t low = 0;
  uint32_t high = 0;
  const int result = reader.WaitResult(&low, &high);
  if (wait == JobWait::Interrupted) return InterruptExitStatus();
  if (wait == JobWait::OutputFailed) return kExitFailed;
  if (args.Has("--json")) {
    JsonLine("image").Text("result", ResultName(result)).Hex8("low", low).Hex8("high", high)
        .Emit();
  } else {
    std::printf("%s low=%08X high=%08X\n", ResultName(result), static_cast<unsigned>(low),
                static_cast<unsigned>(high));
    std::fflush(stdout);
  }
  // Why the file could not be read, and what the window left out, on stderr.
  if (result != MOT_OK && result != MOT_CANCELLED) {
    std::fprintf(stderr, "k470: %s\n", EscapeControls(reader.FailureDetail()).c_str());
  } else if (reader.DroppedBytes() != 0) {
    std::fprintf(stderr, "k470: note: %s\n", reader.DroppedNote().c_str());
  }
  if (result != MOT_OK) return kExitFailed;
  // The output may be a FIFO that no reader has opened yet: its open waits, and an
  // interrupt ends that wait with the command.
  const InterruptEndsProgram interruptible;
  if (args.Has("--out") && !WriteWindow(args.Value("--out"), image)) {
    std::fprintf(stderr, "k470: cannot write %s\n", EscapeControls(args.Value("--out")).c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace k470::cli
