// The file selector of the pages: filling the history combo box newest first, the
// selection change that makes the chosen file the newest, and the open-file dialogs.
#pragma once

#include <string>

#include "settings/file_history.h"
#include "ui/wnd.h"

namespace k470 {

// Rebuilds the combo box list from the history (newest first) and selects item 0.
void FillFileCombo(const FileHistory& history, const CComboBox& combo);

// The selection-change steps of a history combo box: the chosen entry becomes the
// newest and the list is refilled.
void OnFileComboSelChange(FileHistory& history, const CComboBox& combo);

// The browse button of both pages: the open-file dialog for S-record files, starting in
// the newest entry's folder; on OK the chosen path is added and the list refilled.
void BrowseMotFile(FileHistory& history, const CComboBox& combo);

// The open-file dialog as both browse buttons use it. filter: entries separated by "|"
// and ended by "||"; initialFolder may be empty. Returns true with the path on OK.
bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path);

// Filters of the two open-file dialogs.
constexpr const char* kMotFileFilter = "Motorola S Format (*.mot)|*.mot|All Files (*.*)|*.*||";
constexpr const char* kAppFileFilter =
    "exe file (*.exe)|*.exe|com file (*.com)|*.com|bat file (*.bat)|*.bat|All Files (*.*)|*.*||";

}  // namespace k470
