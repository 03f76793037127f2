// CFormFlashWrite: the "Flash write" tab page (template 130). Holds the device table,
// writes the current file into the selected device type under the FLASH WRITE dialog,
// opens the settings dialog of the selected type, and marks when the current file
// changes on disk.
#pragma once

#include <string>

#include "flash/device_table.h"
#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"
#include "ui/file_selector.h"
#include "ui/update_mark.h"

namespace k470 {

struct OptionSettings;

constexpr UINT_PTR kFlashWriteTimerId = 2;  // the update check's timer

class CFormFlashWrite : public CDialogVl {
 public:
  CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options, CWnd* parent);

  // Reads the device table below the program folder `folder` into the device list and
  // selects its first entry. Returns 1 when read, 0 when a listed type has no name (the
  // list then stays empty).
  int LoadDeviceTable(const std::string& folder);

  // Switches the watch of the current file on (timer 2) or off (and the mark off).
  void EnableUpdateCheck(int on);

  // The page's file selector (the main window loads, fills and saves its history, and
  // hands it dropped files) and the device list (control 1021; the main window selects
  // the remembered entry and reads the selection at close).
  CFileSelector& Files() { return m_files; }
  CComboBox& DeviceCombo() { return m_deviceCombo; }

  // The device type of the list's selection; null when nothing (or no read record) is
  // selected.
  DeviceType* SelectedDevice();

  // Selects entry `index` of the device list (none for an index outside it) and enables
  // the settings button as that type allows, as a choice in the list does.
  void SelectDevice(int index);

  // Whether a flash write runs (its FLASH WRITE dialog is up).
  bool JobRunning() const { return m_writing; }

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnFlashWrite();
  void OnSettings();
  void OnDeviceChanged();

  CFileSelector m_files;  // before the update mark, which watches its history
  CComboBoxCom* m_com;
  CWnd* m_status;
  OptionSettings* m_options;
  UpdateMark m_updateMark;
  DeviceType m_devices[kDeviceTableSize];
  int m_deviceCount = 0;  // records read; the list's entry i stands for record i
  CComboBox m_deviceCombo;
  CButton m_settings;
  bool m_writing = false;
};

}  // namespace k470
