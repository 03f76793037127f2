// LoadSettings and SaveSettings: the schema of the INI file.
#include "settings/app_settings.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "settings/iniacs.h"

namespace k470 {
namespace {

constexpr const char* kSectionSystem = "System";
constexpr const char* kSectionFlashWrite = "FlashWrite";
constexpr const char* kSectionRamLoad = "RamLoad";
constexpr const char* kSectionOption = "Option";
constexpr int kDirectMode = 0;
constexpr int kRewriteMode = 1;
std::string HistoryKey(int number) {
  char key[16];
  std::snprintf(key, sizeof key, "name%d", number);
  return key;
}

void LoadHistory(iniacs* ini, const char* section, FileHistory* history) {
  if (history == nullptr) return;
  std::vector<char> text(kHistoryEntryBytes);
  for (int n = 1; n <= FileHistory::kMaxEntries; ++n) {
    if (!ini->GetString(section, HistoryKey(n).c_str(), text.data(), kHistoryEntryBytes)) continue;
    // A value that fills the buffer may have been cut (even inside a character): it
    // would name another file, so it is not taken.
    if (std::strlen(text.data()) >= static_cast<size_t>(kHistoryEntryBytes) - 1) continue;
    history->Add(text.data());
  }
}

// The entries from the oldest, numbered from 1; those the file cannot keep are left out.
// The keys above those written are removed.
void SaveHistory(iniacs* ini, const char* section, const FileHistory& history) {
  int number = 0;
  for (int i = 0; i < history.GetCount(); ++i) {
    if (!HistoryCanKeep(history.GetAt(i))) continue;
    ini->WriteString(section, HistoryKey(++number).c_str(), history.GetAt(i).c_str());
  }
  while (number < FileHistory::kMaxEntries) ini->DeleteLine(section, HistoryKey(++number).c_str());
}

}  // namespace

void LoadSettings(const std::string& iniPath, AppSettings* settings, FileHistory* flashWrite,
                  FileHistory* ramLoad, std::string* addressText) {
  iniacs ini;
  ini.SetFile(iniPath, kDirectMode);
  char text[kSettingTextBytes];

  settings->com = ini.GetInt(kSectionSystem, "Com", 1);
  settings->mode = ini.GetInt(kSectionSystem, "Mode", 0);
  if (settings->mode != 0 && settings->mode != 1) settings->mode = 0;
  settings->help = ini.GetString(kSectionSystem, "Help", text, sizeof text) && text[0] != '\0'
                       ? text
                       : kDefaultHelpPath;
  settings->cpuSel = ini.GetInt(kSectionSystem, "CpuSel", 0);
  settings->lastPort = ini.GetInt(kSectionSystem, "LastPort", 0);

  LoadHistory(&ini, kSectionFlashWrite, flashWrite);
  LoadHistory(&ini, kSectionRamLoad, ramLoad);

  uint32_t address = ini.GetHex(kSectionRamLoad, "address");
  if (address == 0) address = kDefaultRamLoadAddress;
  if (addressText != nullptr) {
    char shown[16];
    std::snprintf(shown, sizeof shown, "%08lX", static_cast<unsigned long>(address));
    *addressText = shown;
  }

  OptionSettings& o = settings->options;
  o.fwriteUpdateCheck = ini.GetInt(kSectionOption, "FwriteUpdateCheck", 0);
  o.rloadUpdateCheck = ini.GetInt(kSectionOption, "RloadUpdateCheck", 0);
  o.autoLoad = ini.GetInt(kSectionOption, "AutoLoad", 0);
  o.autoGo = ini.GetInt(kSectionOption, "AutoGo", 0);
  // Written as "AutoDisConnect"; the reader ignores letter case.
  o.autoDisConnect = ini.GetInt(kSectionOption, "AutoDisconnect", 0);
  o.runApp = ini.GetInt(kSectionOption, "RunApp", 0);
  o.runAppName = ini.GetString(kSectionOption, "RunAppName", text, sizeof text) ? text : "";
  o.showBoardOutput = ini.GetInt(kSectionOption, "ShowBoardOutput", 1) != 0 ? 1 : 0;
}

void LoadHistories(const std::string& iniPath, FileHistory* flashWrite, FileHistory* ramLoad) {
  iniacs ini;
  ini.SetFile(iniPath, kDirectMode);
  LoadHistory(&ini, kSectionFlashWrite, flashWrite);
  LoadHistory(&ini, kSectionRamLoad, ramLoad);
}

bool SaveSettings(const std::string& iniPath, const AppSettings& settings,
                  const FileHistory& flashWrite, const FileHistory& ramLoad, uint32_t address,
                  std::string* failure) {
  iniacs ini;
  ini.SetFile(iniPath, kRewriteMode);

  ini.WriteInt(kSectionSystem, "Com", settings.com);
  ini.WriteInt(kSectionSystem, "Mode", settings.mode);
  ini.WriteString(kSectionSystem, "Help", settings.help.c_str());
  ini.WriteInt(kSectionSystem, "CpuSel", settings.cpuSel);
  // A file that never saw a port used keeps the keys it always had.
  if (settings.lastPort != 0) ini.WriteInt(kSectionSystem, "LastPort", settings.lastPort);

  SaveHistory(&ini, kSectionFlashWrite, flashWrite);
  SaveHistory(&ini, kSectionRamLoad, ramLoad);
  ini.WriteHex(kSectionRamLoad, "address", address);

  const OptionSettings& o = settings.options;
  ini.WriteInt(kSectionOption, "FwriteUpdateCheck", o.fwriteUpdateCheck);
  ini.WriteInt(kSectionOption, "RloadUpdateCheck", o.rloadUpdateCheck);
  ini.WriteInt(kSectionOption, "AutoLoad", o.autoLoad);
  ini.WriteInt(kSectionOption, "AutoGo", o.autoGo);
  ini.WriteInt(kSectionOption, "AutoDisConnect", o.autoDisConnect);
  ini.WriteInt(kSectionOption, "RunApp", o.runApp);
  ini.WriteString(kSectionOption, "RunAppName", o.runAppName.c_str());
  ini.WriteInt(kSectionOption, "ShowBoardOutput", o.showBoardOutput);
  if (ini.Commit()) return true;
  if (failure != nullptr) *failure = ini.FailureReason();
  return false;
}

}  // namespace k470
