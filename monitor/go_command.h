// The monitor's go command: "G %X\r" starts the loaded program at an address. Nothing is
// read back and the address is sent as given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k470 {

class CComPort;

constexpr size_t kGoCommandBytes = 32;

// Sends the go command on an open port. Returns the port's write result (1/0).
int SendGoCommand(CComPort* port, uint32_t address);

}  // namespace k470
