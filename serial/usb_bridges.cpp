// The table of common USB-serial bridges by vendor and product id.
#include "serial/usb_bridges.h"

namespace k470 {
namespace {

struct Bridge {
  int vendor;
  int product;
  const char* name;
};

constexpr Bridge kBridges[] = {
    {0x0403, 0x6001, "FTDI"},   {0x0403, 0x6010, "FTDI"},   {0x0403, 0x6011, "FTDI"},
    {0x0403, 0x6014, "FTDI"},   {0x0403, 0x6015, "FTDI"},   {0x10C4, 0xEA60, "CP210x"},
    {0x10C4, 0xEA70, "CP210x"}, {0x10C4, 0xEA71, "CP210x"}, {0x067B, 0x2303, "PL2303"},
    {0x067B, 0x23A3, "PL2303"}, {0x1A86, 0x7523, "CH340"},  {0x1A86, 0x7522, "CH340"},
    {0x1A86, 0x5523, "CH341"},  {0x1A86, 0x55D4, "CH9102"},
};

}  // namespace

const char* UsbBridgeName(int usbVendor, int usbProduct) {
  for (const Bridge& bridge : kBridges) {
    if (bridge.vendor == usbVendor && bridge.product == usbProduct) return bridge.name;
  }
  return nullptr;
}

}  // namespace k470
