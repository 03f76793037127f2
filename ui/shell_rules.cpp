// The INI location, the INI path completion and the work-area rule.
#include "ui/shell_rules.h"

#include <cstdint>

#include "base/texts.h"
#include "serial/port_names.h"

#include "settings/name_bytes.h"

namespace k470 {
namespace {
// Whether the last character (not the second byte of a two-byte one) is a backslash.
bool EndsWithBackslash(const std::string& text) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < text.size(); i += NameCharLength(text.data(), text.size(), i)) last = i;
  return last != std::string::npos && text[last] == '\\';
}
}  // namespace

PathParts SplitPath(const std::string& path) {
  PathParts parts;
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  // Last folder separator and last dot, stepping over two-byte characters.
  size_t lastSeparator = std::string::npos;
  size_t lastDot = std::string::npos;
  for (size_t i = start; i < path.size(); i += NameCharLength(path.data(), path.size(), i)) {
    if (path[i] == '\\' || path[i] == '/') lastSeparator = i;
    if (path[i] == '.') lastDot = i;
  }
  size_t nameStart = start;
  if (lastSeparator != std::string::npos) {
    parts.folder = path.substr(start, lastSeparator + 1 - start);
    nameStart = lastSeparator + 1;
  }
  if (lastDot != std::string::npos && lastDot >= nameStart) {
    parts.base = path.substr(nameStart, lastDot - nameStart);
    parts.extension = path.substr(lastDot);
  } else {
    parts.base = path.substr(nameStart);
  }
  return parts;
}

std::string IniBesideProgram(const std::string& programPath) {
  const PathParts parts = SplitPath(programPath);
  return parts.drive + parts.folder + parts.base + ".ini";
}

std::string ResolveIniPath(const std::string& iniPath, const std::string& programPath) {
  if (iniPath.empty()) return IniBesideProgram(programPath);
  if (iniPath.find('\\') != std::string::npos) return iniPath;
  const PathParts parts = SplitPath(programPath);
  std::string resolved = parts.drive + parts.folder + iniPath;
  if (iniPath.find('.') == std::string::npos) resolved += ".ini";
  return resolved;
}

std::string LocateIniFile(const std::string& programPath, IniLocationEnv& env) {
  if (env.FileExists(IniBesideProgram(programPath))) return std::string();
  std::string folder;
  if (env.GetAppDataFolder(&folder) == -1 || folder.empty()) {
    env.ShowMessage(Text(TextId::kAppFolderUnknown));
    return std::string();
  }
  if (!EndsWithBackslash(folder)) folder += '\\';
  folder += kAppDataSubfolder;
  if (folder.size() > kIniPathMaxBytes) return std::string();
  if (env.MakeFolder(folder) != 0) {
    env.ShowMessage(Text(TextId::kAppFolderNotMade));
    return std::string();
  }
  const std::string iniPath = folder + SplitPath(programPath).base + ".ini";
  return iniPath.size() > kIniPathMaxBytes ? std::string() : iniPath;
}

std::string HelpDocument(const std::string& configured, bool japanese,
                         const std::function<bool(const std::string&)>& exists) {
  if (!japanese) return configured;
  const PathParts parts = SplitPath(configured);
  const std::string twin = parts.drive + parts.folder + parts.base + "_ja" + parts.extension;
  return exists(twin) ? twin : configured;
}

namespace {
// One axis: `at` kept within [low, high) for an extent of `size`.
int FitAxis(int64_t at, int64_t size, int64_t low, int64_t high) {
  if (at >= low && at + size <= high) return static_cast<int>(at);
  if (size > high - low) return static_cast<int>(low);
  return static_cast<int>(low + (high - low - size) / 2);
}
}  // namespace

void MoveIntoWorkArea(const WorkArea& area, int width, int height, int* x, int* y) {
  *x = FitAxis(*x, width, area.left, area.right);
  *y = FitAxis(*y, height, area.top, area.bottom);
}

void CentreInWorkArea(const WorkArea& area, int width, int height, int* x, int* y) {
  // One pixel outside on both axes: never fits, so centred (or held at the edge).
  *x = FitAxis(static_cast<int64_t>(area.left) - 1, width, area.left, area.right);
  *y = FitAxis(static_cast<int64_t>(area.top) - 1, height, area.top, area.bottom);
}

int ClampStoredPosition(int value) {
  if (value > kFarthestPositionPx) return kFarthestPositionPx;
  if (value < -kFarthestPositionPx) return -kFarthestPositionPx;
  return value;
}

void StepAwayFromTwins(const WindowCorner* taken, int count, int stepPx, int* x, int* y) {
  for (int step = 0; step < kMaxTwinSteps; ++step) {
    bool onTwin = false;
    for (int i = 0; i < count && !onTwin; ++i) onTwin = taken[i].x == *x && taken[i].y == *y;
    if (!onTwin) return;
    *x += stepPx;
    *y += stepPx;
  }
}

std::string PortBoxName(const std::string& shown, int selectedPort) {
  const char* kBlanks = " \t";
  const size_t first = shown.find_first_not_of(kBlanks);
  if (first == std::string::npos) return "COM" + std::to_string(selectedPort);
  const size_t last = shown.find_last_not_of(kBlanks);
  return PortNameOf(shown.substr(first, last - first + 1));
}

}  // namespace k470
