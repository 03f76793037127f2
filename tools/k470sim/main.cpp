// k470sim: plays a K470 board monitor or an H8 chip in boot mode on a pseudo-terminal,
// so that the loader can be run and tested without hardware.
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/build_info.h"
#include "json_writer.h"
#include "pty_line.h"
#include "sim_loop.h"
#include "sim_options.h"
#include "target_h8_3069.h"
#include "target_h8_36077.h"
#include "target_monitor.h"

using namespace k470sim;

namespace {

std::unique_ptr<Target> MakeTarget(const SimOptions& o) {
  if (o.target == "monitor") {
    ProgramBehaviour program{o.afterGo, o.chatterMs, o.resetAfterMs};
    return std::make_unique<MonitorTarget>(o.board, o.endDelayMs, o.noEnd, program,
                                           o.monitorRate);
  }
  BootFaults faults;
  faults.onlyRate = o.onlyRate;
  faults.noise = o.noise;
  faults.errorBlock = o.errorBlock;
  faults.wrongEcho = o.wrongEcho;
  faults.corruptBlock = o.corruptBlock;
  faults.refuseBlocks = o.refuseBlocks;
  faults.noChecks = o.noChecks;
  faults.checkS = o.checkMs / 1000.0;
  faults.programS = o.programMs / 1000.0;
  faults.eraseS = o.pacing ? kDefaultEraseMs / 1000.0 : 0.0;
  if (o.target == "h8-3069") return std::make_unique<H8_3069Target>(faults);
  return std::make_unique<H8_36077Target>(faults);
}

bool WriteFile(const std::string& path, const void* data, size_t n) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "k470sim: %s\n%s", error.c_str(), HelpText());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("%s\n", k470::VersionLine("k470sim").c_str());
    return 0;
  }
  // The line's timing is kept to the microsecond: the kernel may not stretch the waits
  // for a byte's due time by its default slack of 50 us (a fifth of a byte at 57600).
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  if (!EnsureOwnSession(error)) {
    std::fprintf(stderr, "k470sim: %s\n", error.c_str());
    return 1;
  }
  // Taken before anyone learns the pty's name, so a parent that quits at once is noticed.
  const pid_t parent = getppid();
  InstallStopSignals();
  Now();  // the report's clock starts here

  PtyLine line;
  if (!line.Open(error) || (!options.linkPath.empty() && !line.Link(options.linkPath, error))) {
    std::fprintf(stderr, "k470sim: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<Target> target = MakeTarget(options);
  std::printf("k470sim ready %s\n", line.SlavePath().c_str());
  std::fflush(stdout);

  LineNoise noise(options.flipOneIn, options.flipSeed, options.flipDown, options.flipUp);
  LoopStats stats;
  RunLoop(line, *target, options, parent, noise, stats);
  line.OnHostOpenClose();  // opens not yet handled when the loop stopped count too
  const int hostOpens = line.HostOpenCount();
  line.Close();

  int status = 0;
  if (!options.reportPath.empty()) {
    JsonWriter json;
    json.BeginObject();
    json.String("target", options.target);
    json.String("pty", line.SlavePath());
    if (!options.linkPath.empty()) json.String("link", options.linkPath);
    json.Bool("pacing", options.pacing);
    json.Int("host_opens", hostOpens);
    json.Int("latency_ms", options.latencyMs);
    if (options.latencyMs > 0) json.Int("packet_bytes", options.packetBytes);
    stats.Write(json);
    if (options.flipOneIn > 0) noise.Write(json);
    target->WriteReport(json);
    json.EndObject();
    if (!WriteFile(options.reportPath, json.Text().data(), json.Text().size())) {
      std::fprintf(stderr, "k470sim: cannot write %s\n", options.reportPath.c_str());
      status = 1;
    }
  }
  if (!options.memoryPath.empty()) {
    const std::vector<uint8_t>& memory = target->Memory();
    if (!WriteFile(options.memoryPath, memory.data(), memory.size())) {
      std::fprintf(stderr, "k470sim: cannot write %s\n", options.memoryPath.c_str());
      status = 1;
    }
  }
  return status;
}
