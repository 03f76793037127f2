// The K470-family board monitor: prompt on carriage return, "L <hex> <dec> s" loads raw
// bytes into RAM and answers "end!", "G <hex>" starts a program (recorded). 38400 bit/s.
#pragma once

#include <string>
#include <vector>

#include "event_log.h"
#include "monitor_program.h"
#include "target.h"

namespace k470sim {

class MonitorTarget : public Target {
 public:
  static constexpr uint32_t kRate = 38400;  // the line's rate unless told another
  static constexpr uint32_t kRamBase = 0x200000;
  static constexpr uint32_t kRamSize = 0x40000;  // 256 KiB: 0x200000..0x23FFFF
  static constexpr size_t kMaxLine = 128;        // longer command lines are cut

  // `board` as given by the user (K470L, ...); the prompt is its lower case plus '>'.
  MonitorTarget(const std::string& board, int endDelayMs, bool noEnd,
                const ProgramBehaviour& program = {}, uint32_t rate = kRate);

  uint32_t ListenRate() const override { return m_rate; }
  void OnByte(const RxByte& rx, Output& out) override;
  void WriteReport(JsonWriter& json) const override;
  const std::vector<uint8_t>& Memory() const override { return m_ram; }
  double NextTimer() const override { return m_program.NextTimer(); }
  void OnTimer(double now, Output& out) override;
  void OnReset(double now, Output& out) override;

 private:
  struct Load {
    uint32_t address;
    uint32_t length;
    bool ok;
  };
  void OnLine(const RxByte& rx, Output& out);
  void SendText(const std::string& text, double notBefore, Output& out);
  void Prompt(double notBefore, Output& out);

  uint32_t m_rate;
  MonitorProgram m_program;
  int m_resets = 0;
  std::string m_board;
  std::string m_name;  // prompt text before '>'
  double m_endDelayS;
  bool m_noEnd;
  std::vector<uint8_t> m_ram;
  std::string m_line;
  // A load in progress: raw bytes still to come.
  bool m_loading = false;
  Load m_load{};
  uint32_t m_loadLeft = 0;
  uint32_t m_loadPos = 0;
  std::vector<Load> m_loads;
  std::vector<uint32_t> m_gos;
  int m_prompts = 0;
  EventLog m_events;
};

}  // namespace k470sim
