// CThreadCchk: the detection loop over the monitor's prompt.
#include "monitor/thread_cchk.h"

#include <cstring>

#include "jobs/job_target.h"
#include "jobs/ticks.h"
#include "serial/com_port.h"

namespace k470 {
namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kPromptEnd = '>';
constexpr int kByteReadFlag = 0x100;  // ReadByte: a byte was read
constexpr const char* kAskPrompt = "\r";

}  // namespace

int BoardFromPrompt(bool promptSeen, const char* line, size_t lineBytes) {
  if (!promptSeen) return BOARD_NO_REPLY;
  const void* end = std::memchr(line, 0, lineBytes);
  const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - line) : lineBytes;
  static const char* const kNames[] = {"k470l", "k471l", "k472l"};
  static const int kStates[] = {BOARD_K470L, BOARD_K471L, BOARD_K472L};
  for (size_t i = 0; i < 3; ++i) {
    if (length == std::strlen(kNames[i]) && std::memcmp(line, kNames[i], length) == 0) {
      return kStates[i];
    }
  }
  return BOARD_OTHER;
}

CThreadCchk::~CThreadCchk() { StopAndWait(); }

int CThreadCchk::Start(CComPort* port, JobTarget* target) {
  m_port = port;
  m_target = target;
  return CThreadVl::Start();
}

bool CThreadCchk::Collect(char* line, size_t& position) {
  bool promptSeen = false;
  while (!m_cancel.load()) {
    const int got = m_port->ReadByte();
    if (!(got & kByteReadFlag)) break;
    const uint8_t b = static_cast<uint8_t>(got & 0xFF);
    if (b == kCr || b == kLf) {
      position = 0;  // a new line; the buffer's bytes stay
    } else if (b == kPromptEnd) {
      line[position] = '\0';
      promptSeen = true;
    } else if (position < kPromptBufferBytes - 1) {
      line[position++] = static_cast<char>(b);
    } else {
      position = 0;  // the line is too long for a prompt: start over, drop the byte
    }
  }
  return promptSeen;
}

int CThreadCchk::Run() {
  m_state = -1;
  char line[kPromptBufferBytes] = {};
  uint32_t periodStart = TickCountMs();
  while (!m_cancel.load()) {
    if (TickCountMs() - periodStart < kDetectPeriodMs) {
      SleepMs(kDetectPollMs);
      continue;
    }
    periodStart = TickCountMs();
    size_t position = 0;
    const bool promptSeen = Collect(line, position);

    const int finding = BoardFromPrompt(promptSeen, line, sizeof line);
    if (finding != m_state.load()) {
      m_state = finding;
      m_target->PostBoardState(finding);
    }
    m_port->WriteString(kAskPrompt);  // a failed write simply yields no prompt
    if (m_cancel.load()) break;
    SleepMs(kDetectPauseMs);
  }
  SetDone();
  return 0;
}

}  // namespace k470
