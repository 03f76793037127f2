// The system's words for an errno value.
#include <cstring>

#include "serial/system_error_text.h"

namespace k470 {
namespace {

constexpr size_t kErrorTextBytes = 128;  // the system's texts are far shorter

// The GNU strerror_r returns its text, the XSI one fills the buffer; both are taken, and
// neither shares a buffer between threads.
[[maybe_unused]] const char* ChosenErrorText(const char* text, const char*) { return text; }
[[maybe_unused]] const char* ChosenErrorText(int result, const char* buffer) {
  return result == 0 ? buffer : "unknown error";
}

}  // namespace

std::string SystemErrorText(unsigned long error) {
  char buffer[kErrorTextBytes] = "";
  return ChosenErrorText(strerror_r(static_cast<int>(error), buffer, sizeof buffer), buffer);
}

}  // namespace k470
