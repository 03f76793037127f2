// Portable rules of the main window's shell: where the INI file lives (beside the program,
// else in the user's application-data folder), how a dialog's INI path is completed, and
// how a window is kept inside the desktop work area.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace k470 {

// A path cut like the C runtime's _splitpath: drive "C:", folder up to and including the
// last backslash, base name, extension with its dot. Two-byte characters of the
// system's code page are stepped over.
struct PathParts {
  std::string drive;
  std::string folder;
  std::string base;
  std::string extension;
};
PathParts SplitPath(const std::string& path);

// drive + folder + base name + ".ini" of the program file's path.
std::string IniBesideProgram(const std::string& programPath);

// Completes a dialog's INI path: empty → the file beside the program; a bare name → that
// name in the program's folder (".ini" added when it holds no "."); a path → unchanged.
std::string ResolveIniPath(const std::string& iniPath, const std::string& programPath);

// Folder and INI path below the application-data folder are each limited to this length.
constexpr size_t kIniPathMaxBytes = 519;
// The levels created below the application-data folder.
constexpr const char* kAppDataSubfolder = "Velmora\\K470Loader\\";

// What locating the INI file needs from the system (the Windows half is in ini_location).
class IniLocationEnv {
 public:
  virtual ~IniLocationEnv() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // The companion library: 0 on success with the folder in `folder`, -1 on failure.
  virtual int GetAppDataFolder(std::string* folder) = 0;
  // 0 when the folder exists afterwards.
  virtual int MakeFolder(const std::string& folder) = 0;
  virtual void ShowMessage(const char* text) = 0;
};

// The INI path in the application-data folder, or empty when the file beside the
// program is to be used (it exists, or the folder could not be had; the two failures are
// shown as messages: kAppFolderUnknown, kAppFolderNotMade).
std::string LocateIniFile(const std::string& programPath, IniLocationEnv& env);

// The document the Help menu opens, from the one the settings name (relative to the
// program's folder, help\help.html unless changed): for a Japanese user its Japanese
// twin beside it (help\help_ja.html) when `exists` finds that, else the one named.
std::string HelpDocument(const std::string& configured, bool japanese,
                         const std::function<bool(const std::string&)>& exists);

// A monitor's work area and the window's left/top edge kept inside it: an axis on which
// the window does not fit is centred (the division truncating towards zero); a window
// larger than the area on an axis starts at its left or top edge, so that its title bar
// stays on it. Any stored value is taken, without overflow.
struct WorkArea {
  int left;
  int top;
  int right;
  int bottom;
};
void MoveIntoWorkArea(const WorkArea& area, int width, int height, int* x, int* y);

// Where a window starts that has no stored position: centred on the work area, by the
// same rule.
void CentreInWorkArea(const WorkArea& area, int width, int height, int* x, int* y);

// Stored positions far outside any screen (a damaged file: 2147483600) are brought to
// this distance first, so that the window system's own arithmetic cannot overflow.
constexpr int kFarthestPositionPx = 30000;
int ClampStoredPosition(int value);

// A second instance that would open exactly on top of another one's window steps down
// and right by `stepPx` until its top-left corner is free (at most `kMaxTwinSteps`
// times); `taken` holds the other windows' top-left corners.
struct WindowCorner {
  int x;
  int y;
};
constexpr int kMaxTwinSteps = 16;
void StepAwayFromTwins(const WindowCorner* taken, int count, int stepPx, int* x, int* y);

// The port the main window's port box names. The box is editable: its text is a listed
// COM port or a name the user typed ("COM12", "rfc2217://rack:4001", "socket://host:4002"),
// opened as it is with the blanks around it cut; a COM port typed as "com12" or "12" is
// called "COM12". An empty box names the selected list entry (port 0 when none is).
std::string PortBoxName(const std::string& shown, int selectedPort);

}  // namespace k470
