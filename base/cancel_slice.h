// The one slice of every wait that must end on a flag no signal announces: a job's cancel
// flag set by its owner, Ctrl-C set by a signal handler. Such a wait looks at its flag at
// least this often, so it ends well within 100 ms of the request.
#pragma once

#include <cstdint>

namespace k470 {

constexpr uint32_t kCancelSliceMs = 20;

}  // namespace k470
