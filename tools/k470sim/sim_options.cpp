// Command-line options of k470sim.
#include "sim_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace k470sim {

namespace {

bool ParseInt(const char* text, int64_t minValue, int64_t& value) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 0);
  if (errno != 0 || *end != '\0' || v < minValue) return false;
  value = v;
  return true;
}

// "3,7,7": numbers of at least 0, separated by commas.
bool ParseList(const char* text, std::vector<int64_t>& values) {
  std::string rest = text;
  for (;;) {
    const size_t comma = rest.find(',');
    int64_t value = 0;
    if (!ParseInt(rest.substr(0, comma).c_str(), 0, value)) return false;
    values.push_back(value);
    if (comma == std::string::npos) return true;
    rest = rest.substr(comma + 1);
  }
}

}  // namespace

const char* HelpText() {
  return
      "usage: k470sim TARGET [options]\n"
      "\n"
      "Plays a serial target on a pseudo-terminal. The first line on stdout is\n"
      "  k470sim ready /dev/pts/N\n"
      "Point the tool at that path (or at --link). Runs until SIGTERM/SIGINT or until the\n"
      "line is dropped (--drop-after), then writes --report and --memory.\n"
      "\n"
      "Targets:\n"
      "  monitor        K470-family board monitor at 38400 bit/s: CR -> prompt,\n"
      "                 \"L <hex> <dec> s\\r\" + raw bytes -> \"end!\", \"G <hex>\\r\" recorded\n"
      "  h8-3069        H8/3069 boot program: bit-rate adjustment, boot commands, 512 KiB flash;\n"
      "                 after 0x40 and after the end frame the sum check (4B), the blank\n"
      "                 check (4D) and the memory read (52)\n"
      "  h8-36077       H8/36077 boot program and write-control program, 56 KiB flash\n"
      "\n"
      "Options:\n"
      "  --board NAME       monitor board name (K470L, K471L, K472L or any other; default K470L);\n"
      "                     the prompt is the lower-cased name followed by '>'\n"
      "  --link PATH        symlink PATH to the pty (e.g. $WINEPREFIX/dosdevices/com5)\n"
      "  --report FILE      write a JSON report of what was received at exit\n"
      "  --memory FILE      write RAM 0x200000..0x23FFFF (monitor) or the flash (chips) at exit\n"
      "  --no-pacing        send at once instead of at the line rate; no programming times\n"
      "  --program-ms N     time to program one 128-byte block (default 3, 0 without pacing);\n"
      "                     on the h8-36077 the delay of a block's second 0x05\n"
      "Faults:\n"
      "  --only-rate N      answer the bit-rate adjustment only at N bit/s\n"
      "  --silent           never answer anything\n"
      "  --noise            send noise bytes during the bit-rate adjustment\n"
      "  --wrong-echo N     h8-36077: echo byte N of the transfer wrongly (0 = high count byte)\n"
      "  --error-block N    answer block frame N (0 = first) with a programming error\n"
      "  --corrupt-block N  h8-3069: acknowledge block frame N (0 = first) but leave one bit\n"
      "                     of it at 1 (its first byte other than FF keeps its lowest 0 bit)\n"
      "  --refuse-block N[,M...]  refuse block N (0 = first block with data) as garbled on\n"
      "                     the line, once: the h8-3069 answers the checksum error (D0 11),\n"
      "                     the h8-36077 15; a number given twice is refused twice\n"
      "  --flip N           a noisy line: about one byte in N, in either direction, arrives\n"
      "                     with one bit flipped; the report lists every flip (\"flips\")\n"
      "  --seed S           with --flip: the seed of the flips (default 1); a seed repeats\n"
      "  --flip-down        with --flip: only what the host sends to the target\n"
      "  --flip-up          with --flip: only what the target sends to the host\n"
      "  --no-checks        h8-3069: answer the sum check (4B), the blank check (4D) and the\n"
      "                     memory read (52) with an error pair, as a boot program without them\n"
      "  --check-ms N       h8-3069: the sum or blank check answers N ms late (default 0)\n"
      "  --stop-after N     stop answering after N received bytes\n"
      "  --cut-after N      send nothing more after N sent bytes (cuts a reply short)\n"
      "  --drop-after N     close the pty after N received bytes, then exit\n"
      "  --end-delay MS     monitor: send \"end!\" MS milliseconds late\n"
      "  --no-end           monitor: never send \"end!\"\n"
      "Started program (monitor; any of these makes G start a program that holds the line\n"
      "until a reset, echoing what it receives):\n"
      "  --after-go TEXT    send TEXT the instant G has been read\n"
      "  --chatter-ms N     then a numbered line (\"line 1\\r\\n\", ...) every N ms\n"
      "  --reset-after-s S  reset the board S seconds after G (also on SIGUSR1): the\n"
      "                     program stops and the monitor prints its prompt\n"
      "  --bps N            monitor: the line's rate (default 38400)\n"
      "  --latency MS       hold what the target sends as a USB serial adapter does: it\n"
      "                     reaches the host at the next tick of a free-running MS timer\n"
      "  --packet N         with --latency: or at once when N bytes have gathered (default 62)\n"
      "  -h, --help         this text\n"
      "  --version          the simulator's version and the commit it was built from\n";
}

bool ParseOptions(int argc, char** argv, SimOptions& o, std::string& error) {
  bool flipDownOnly = false;
  bool flipUpOnly = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    auto next = [&](const char*& value) {
      if (i + 1 >= argc) {
        error = std::string("missing value for ") + a;
        return false;
      }
      value = argv[++i];
      return true;
    };
    auto number = [&](int64_t minValue, int64_t& out) {
      const char* v = nullptr;
      if (!next(v)) return false;
      if (!ParseInt(v, minValue, out)) {
        error = std::string("bad number for ") + a + ": " + v;
        return false;
      }
      return true;
    };
    int64_t n = 0;
    if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help")) {
      o.help = true;
    } else if (!std::strcmp(a, "--version")) {
      o.version = true;
    } else if (!std::strcmp(a, "--board")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      o.board = v;
    } else if (!std::strcmp(a, "--link")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      o.linkPath = v;
    } else if (!std::strcmp(a, "--report")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      o.reportPath = v;
    } else if (!std::strcmp(a, "--memory")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      o.memoryPath = v;
    } else if (!std::strcmp(a, "--no-pacing")) {
      o.pacing = false;
    } else if (!std::strcmp(a, "--program-ms")) {
      if (!number(0, n)) return false;
      o.programMs = static_cast<int>(n > 600000 ? 600000 : n);
    } else if (!std::strcmp(a, "--only-rate")) {
      if (!number(1, n)) return false;
      o.onlyRate = static_cast<uint32_t>(n);
    } else if (!std::strcmp(a, "--silent")) {
      o.silent = true;
    } else if (!std::strcmp(a, "--noise")) {
      o.noise = true;
    } else if (!std::strcmp(a, "--wrong-echo")) {
      if (!number(0, o.wrongEcho)) return false;
    } else if (!std::strcmp(a, "--error-block")) {
      if (!number(0, o.errorBlock)) return false;
    } else if (!std::strcmp(a, "--corrupt-block")) {
      if (!number(0, o.corruptBlock)) return false;
    } else if (!std::strcmp(a, "--refuse-block")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      if (!ParseList(v, o.refuseBlocks)) {
        error = std::string("bad list for --refuse-block: ") + v;
        return false;
      }
    } else if (!std::strcmp(a, "--flip")) {
      if (!number(1, n)) return false;
      o.flipOneIn = static_cast<uint32_t>(n > kMaxFlipOneIn ? kMaxFlipOneIn : n);
    } else if (!std::strcmp(a, "--seed")) {
      if (!number(0, n)) return false;
      o.flipSeed = static_cast<uint32_t>(n);
    } else if (!std::strcmp(a, "--flip-down")) {
      flipDownOnly = true;
    } else if (!std::strcmp(a, "--flip-up")) {
      flipUpOnly = true;
    } else if (!std::strcmp(a, "--no-checks")) {
      o.noChecks = true;
    } else if (!std::strcmp(a, "--check-ms")) {
      if (!number(0, n)) return false;
      o.checkMs = static_cast<int>(n > 600000 ? 600000 : n);
    } else if (!std::strcmp(a, "--stop-after")) {
      if (!number(0, o.stopAfter)) return false;
    } else if (!std::strcmp(a, "--cut-after")) {
      if (!number(0, o.cutAfter)) return false;
    } else if (!std::strcmp(a, "--drop-after")) {
      if (!number(0, o.dropAfter)) return false;
    } else if (!std::strcmp(a, "--end-delay")) {
      if (!number(0, n)) return false;
      o.endDelayMs = static_cast<int>(n > 600000 ? 600000 : n);
    } else if (!std::strcmp(a, "--no-end")) {
      o.noEnd = true;
    } else if (!std::strcmp(a, "--after-go")) {
      const char* v = nullptr;
      if (!next(v)) return false;
      o.afterGo = v;
    } else if (!std::strcmp(a, "--chatter-ms")) {
      if (!number(0, n)) return false;
      o.chatterMs = static_cast<int>(n > 600000 ? 600000 : n);
    } else if (!std::strcmp(a, "--reset-after-s")) {
      if (!number(0, n)) return false;
      o.resetAfterMs = static_cast<int>(n > 86400 ? 86400000 : n * 1000);
    } else if (!std::strcmp(a, "--bps")) {
      if (!number(1, n)) return false;
      o.monitorRate = static_cast<uint32_t>(n > 4000000 ? 4000000 : n);
    } else if (!std::strcmp(a, "--latency")) {
      if (!number(0, n)) return false;
      o.latencyMs = static_cast<int>(n > kMaxLatencyMs ? kMaxLatencyMs : n);
    } else if (!std::strcmp(a, "--packet")) {
      if (!number(1, n)) return false;
      o.packetBytes = static_cast<int>(n > kMaxPacketBytes ? kMaxPacketBytes : n);
    } else if (a[0] == '-') {
      error = std::string("unknown option ") + a;
      return false;
    } else if (o.target.empty()) {
      o.target = a;
    } else {
      error = std::string("unexpected argument ") + a;
      return false;
    }
  }
  if (o.help || o.version) return true;
  if (flipDownOnly && flipUpOnly) {
    error = "--flip-down and --flip-up exclude each other (without either: both directions)";
    return false;
  }
  if ((flipDownOnly || flipUpOnly) && o.flipOneIn == 0) {
    error = std::string(flipDownOnly ? "--flip-down" : "--flip-up") + " needs --flip N";
    return false;
  }
  o.flipDown = !flipUpOnly;
  o.flipUp = !flipDownOnly;
  if (o.target != "monitor" && o.target != "h8-3069" && o.target != "h8-36077") {
    error = o.target.empty() ? "no target given" : "unknown target " + o.target;
    return false;
  }
  if (o.programMs < 0) o.programMs = o.pacing ? kDefaultProgramMs : 0;
  return true;
}

}  // namespace k470sim
