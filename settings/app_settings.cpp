// LoadSettings and SaveSettings: the schema of the INI file.
#include "settings/app_settings.h"

#include <cstdio>

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
  char text[kSettingTextBytes];
  for (int n = 1; n <= FileHistory::kMaxEntries; ++n) {
    if (ini->GetString(section, HistoryKey(n).c_str(), text, sizeof text)) history->Add(text);
  }
}

// The entries from the oldest, numbered from 1; those the file cannot keep are left out.
void SaveHistory(iniacs* ini, const char* section, const FileHistory& history) {
  int number = 0;
  for (int i = 0; i < history.GetCount(); ++i) {
    if (!HistoryCanKeep(history.GetAt(i))) continue;
    ini->WriteString(section, HistoryKey(++number).c_str(), history.GetAt(i).c_str());
  }
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
}

void SaveSettings(const std::string& iniPath, const AppSettings& settings,
                  const FileHistory& flashWrite, const FileHistory& ramLoad, uint32_t address) {
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
}  // the batch is written to the file here

}  // namespace k470
