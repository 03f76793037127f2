// PortTable: the columns PORT, DEVICE, DESCRIPTION, VID:PID, BRIDGE, SERIAL and BY-ID.
#include "cli/port_table.h"

#include <algorithm>
#include <cstdio>

#include "cli/console.h"
#include "serial/usb_bridges.h"

namespace k470::cli {
namespace {

constexpr const char* kHeader[] = {"PORT", "DEVICE", "DESCRIPTION", "VID:PID",
                                   "BRIDGE", "SERIAL", "BY-ID"};
constexpr size_t kColumns = sizeof(kHeader) / sizeof(kHeader[0]);
constexpr char kUnknown[] = "-";
constexpr char kColumnGap[] = "  ";

// The cells a text fills on the terminal.
int CellsOf(const std::string& text) {
  int cells = 0;
  while (CutToColumns(text, cells).size() < text.size()) ++cells;
  return cells;
}

std::string OrUnknown(const std::string& text) {
  return text.empty() ? kUnknown : EscapeControls(text);
}

}  // namespace

std::string UsbIdsText(const PortEntry& port) {
  if (port.usbVendor < 0 || port.usbProduct < 0) return std::string();
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", port.usbVendor & 0xFFFF, port.usbProduct & 0xFFFF);
  return text;
}

std::string PortTable(const std::vector<PortEntry>& ports) {
  if (ports.empty()) return std::string();
  std::vector<std::vector<std::string>> rows;
  rows.emplace_back(std::begin(kHeader), std::end(kHeader));
  for (const PortEntry& port : ports) {
    const char* bridge = UsbBridgeName(port.usbVendor, port.usbProduct);
    rows.push_back({"COM" + std::to_string(port.number), OrUnknown(port.device),
                    OrUnknown(port.description), OrUnknown(UsbIdsText(port)),
                    bridge != nullptr ? bridge : kUnknown, OrUnknown(port.serialNumber),
                    OrUnknown(port.byIdPath)});
  }
  int widths[kColumns] = {};
  for (const auto& row : rows) {
    for (size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], CellsOf(row[c]));
  }
  std::string table;
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < kColumns; ++c) {
      if (c > 0) line += kColumnGap;
      line += row[c];
      if (c + 1 < kColumns) line.append(static_cast<size_t>(widths[c] - CellsOf(row[c])), ' ');
    }
    table += line + "\n";
  }
  return table;
}

}  // namespace k470::cli
