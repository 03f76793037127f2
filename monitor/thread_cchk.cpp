// CThreadCchk: the detection loop over the monitor's prompt.
#include "monitor/thread_cchk.h"

#include <cstring>

#include "jobs/job_target.h"
#include "base/ticks.h"
#include "serial/com_port.h"

namespace k470 {
namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kPromptEnd = '>';
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

void CThreadCchk::PromptLine::Take(uint8_t b) {
  if (b == kCr || b == kLf) {
    position = 0;  // a new line; the buffer's bytes stay
  } else if (b == kPromptEnd) {
    text[position] = '\0';
    promptSeen = true;
  } else if (position < kPromptBufferBytes - 1) {
    text[position++] = static_cast<char>(b);
  } else {
    position = 0;  // the line is too long for a prompt: start over, drop the byte
  }
}

int CThreadCchk::Run() {
  m_state = -1;
  PromptLine line;
  uint32_t periodStart = TickCountMs();
  while (!Cancelled()) {
    // Until the period's end, whatever the board sends goes into the line as it comes.
    const uint32_t elapsed = TickCountMs() - periodStart;
    if (elapsed < kDetectPeriodMs) {
      uint8_t received[kDetectReadBytes + 1];
      const int count = m_port->WaitRead(received, kDetectReadBytes, kDetectPeriodMs - elapsed,
                                         CancelFlag());
      if (count == kReadPortLost) {
        // No board can answer on a port that has gone: say so once, and stop looking.
        if (m_state.load() != BOARD_NO_REPLY) m_target->PostBoardState(BOARD_NO_REPLY);
        m_state = BOARD_PORT_LOST;
        m_target->PostBoardState(BOARD_PORT_LOST);
        break;
      }
      for (int i = 0; i < count; ++i) line.Take(received[i]);
      continue;
    }
    // The look: the finding of this period, reported when it changed, and a carriage
    // return that asks the monitor for its prompt again.
    periodStart = TickCountMs();
    const int finding = BoardFromPrompt(line.promptSeen, line.text, sizeof line.text);
    if (finding != m_state.load()) {
      m_state = finding;
      m_target->PostBoardState(finding);
    }
    m_port->WriteString(kAskPrompt);  // a failed write simply yields no prompt
    line.position = 0;
    line.promptSeen = false;
  }
  SetDone();
  return 0;
}

}  // namespace k470
