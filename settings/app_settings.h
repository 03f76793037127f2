// The program's persistent settings: the record the main window owns, the option record
// the pages and the options dialog share, and their load and save through the INI file
// (sections System, FlashWrite, RamLoad, Option). The window position ("Left", "Top" in
// System) is saved by the dialog base in a batch of its own.
#pragma once

#include <cstdint>
#include <string>

#include "settings/file_history.h"

namespace k470 {

constexpr const char* kDefaultHelpPath = "help\\help.html";
constexpr uint32_t kDefaultRamLoadAddress = 0x200000;
// Values read with GetString arrive through buffers of this size (259 bytes of text).
constexpr int kSettingTextBytes = 260;
// A history entry's buffer: the longest path the system takes (32767 UTF-16 units, each
// at most two bytes in the system's code page) and its NUL.
constexpr int kHistoryEntryBytes = 32767 * 2 + 1;

struct OptionSettings {
  int32_t fwriteUpdateCheck = 0;  // flash write page: watch the chosen file for updates
  int32_t rloadUpdateCheck = 0;   // RAM load page: watch the chosen file for updates
  int32_t autoLoad = 0;           // start Load after connecting
  int32_t autoGo = 0;             // Go after Load
  int32_t autoDisConnect = 0;     // disconnect after Go
  int32_t runApp = 0;             // start an external application on Go
  std::string runAppName;         // that application's path
  int32_t showBoardOutput = 1;    // show the board's output after Go (when connected)
};

struct AppSettings {
  int32_t mode = 0;    // active tab: 0 flash write, 1 RAM load
  int32_t com = 1;     // COM port number as stored; written back unchanged
  int32_t cpuSel = 0;  // selected device type of the flash write page
  int32_t lastPort = 0;  // COM port last used for a connect or a write; 0: none yet
  std::string help = kDefaultHelpPath;  // help document, relative to the program folder
  OptionSettings options;
};

// Reads every setting (direct mode), with the defaults for absent entries: com 1, mode 0
// (also for any value but 0 and 1), help "help\help.html" (also when empty), cpuSel 0,
// options 0 (showBoardOutput 1), runAppName empty, lastPort 0. name1..name10 of FlashWrite and RamLoad are
// added to the two histories in order (Add: a duplicate moves to the newest place);
// absent ones are skipped.
// addressText receives the RAM load address as "%08lX"; absent, malformed or 0 gives
// 00200000.
void LoadSettings(const std::string& iniPath, AppSettings* settings, FileHistory* flashWrite,
                  FileHistory* ramLoad, std::string* addressText);

// Writes every setting in one rewrite batch, in this order: System (Com, Mode, Help,
// CpuSel, and LastPort once a port was used), FlashWrite (name1.. from the oldest entry,
// leaving out those HistoryCanKeep refuses; nothing for an empty history),
// RamLoad (its names, then "address" as "%X" of the address field's value), Option
// (FwriteUpdateCheck, RloadUpdateCheck, AutoLoad, AutoGo, AutoDisConnect, RunApp,
// RunAppName, ShowBoardOutput). History keys above those written are removed, so that an entry of an
// earlier session cannot come back. Returns false when the file could not be read or
// written, with the system's reason in `failure` (may be null).
bool SaveSettings(const std::string& iniPath, const AppSettings& settings,
                  const FileHistory& flashWrite, const FileHistory& ramLoad, uint32_t address,
                  std::string* failure = nullptr);

// The two histories as the file holds them now (another instance may have saved since).
void LoadHistories(const std::string& iniPath, FileHistory* flashWrite, FileHistory* ramLoad);

}  // namespace k470
