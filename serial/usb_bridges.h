// The common USB-serial bridge chips, known by their USB ids: a port behind one of them is
// an adapter cable or a board's on-board converter rather than the board's own USB.
#pragma once

namespace k470 {

// The bridge family of a USB vendor and product id ("FTDI", "CP210x", "PL2303", "CH340");
// null for ids that are no common bridge (or unknown, negative).
const char* UsbBridgeName(int usbVendor, int usbProduct);

}  // namespace k470
