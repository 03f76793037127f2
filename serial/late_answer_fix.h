// How the user mends a USB adapter that holds the target's answers back (its latency
// timer), for the port a job runs on: at the server for a network port, in the local
// adapter's settings otherwise.
#pragma once

#include <string>

namespace k470 {

// The fix for `port` as the user typed it, which opened the local `device` (CComPort's
// Device(); empty when unknown): over rfc2217:// or socket:// the adapter sits at the
// server, whose timer is set on that machine; a local port's fix is the platform's
// (LocalLateAnswerFix).
std::string LateAnswerFix(const std::string& port, const std::string& device);

// The fix for the local device `device` (what is opened; empty when unknown), platform
// half: late_answer_fix_posix.cpp, late_answer_fix_win32.cpp.
std::string LocalLateAnswerFix(const std::string& device);

}  // namespace k470
