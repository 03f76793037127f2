// Command-line options of k470sim: which target to play, where to put the pty and the
// report, and the faults to play on demand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k470sim {

struct SimOptions {
  std::string target;          // "monitor", "h8-3069" or "h8-36077"
  std::string board = "K470L"; // monitor: board name; the prompt is its lower case
  std::string linkPath;        // symlink to the pty slave (replaced if present)
  std::string reportPath;      // JSON report written at exit
  std::string memoryPath;      // RAM (monitor) or flash (chips) written at exit
  bool pacing = true;          // output at the line rate; programming times
  int programMs = -1;          // time to program one block; -1: the default
  uint32_t onlyRate = 0;       // bit-rate adjustment answered only at this rate
  bool silent = false;         // never answers
  bool noise = false;          // noise bytes during the bit-rate adjustment
  int64_t wrongEcho = -1;      // h8-36077: echo this byte of the transfer wrongly
  int64_t errorBlock = -1;     // error reply to this block frame (0 = first)
  int64_t corruptBlock = -1;   // h8-3069: this block frame acknowledged, one bit not taken
  std::vector<int64_t> refuseBlocks;  // block frames refused once each as garbled
  uint32_t flipOneIn = 0;      // about one byte in this many gets a bit flipped; 0: none
  uint32_t flipSeed = 1;       // the flips' generator
  bool flipDown = true;        // flips in what the host sends
  bool flipUp = true;          // flips in what the target sends
  bool noChecks = false;       // h8-3069: 0x4B, 0x4D and 0x52 answered as unknown
  int checkMs = 0;             // h8-3069: time the sum or blank check takes
  int64_t stopAfter = -1;      // stop answering after this many received bytes
  int64_t cutAfter = -1;       // send nothing more after this many sent bytes
  int64_t dropAfter = -1;      // close the pty after this many received bytes
  int endDelayMs = 0;          // monitor: "end!" this much later
  bool noEnd = false;          // monitor: never "end!"
  std::string afterGo;         // monitor: the started program's first text
  int chatterMs = 0;           // monitor: the program's numbered line this often; 0: none
  int resetAfterMs = 0;        // monitor: the board resets this long after G; 0: never
  uint32_t monitorRate = 38400;  // monitor: its line's rate
  int latencyMs = 0;           // a USB adapter's latency timer before the host; 0: none
  int packetBytes = 62;        // the adapter's packet: sent at once when full
  bool help = false;
  bool version = false;        // print the version line and end
};

// Parses argv; false with a message in `error` for an unknown or malformed option.
bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error);

const char* HelpText();

// Default time to program one 128-byte block (ms) when pacing is on.
constexpr int kDefaultProgramMs = 3;
// Default time the H8/3069's boot program takes to erase the flash on entering the
// programming state (ms), when pacing is on.
constexpr int kDefaultEraseMs = 50;
// Bounds of the adapter model: the longest latency timer and the largest packet.
constexpr int kMaxLatencyMs = 255;
constexpr int kMaxPacketBytes = 4096;
// The quietest noisy line --flip takes: one flip in this many bytes.
constexpr int64_t kMaxFlipOneIn = 1000000000;

}  // namespace k470sim
