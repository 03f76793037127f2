// CDialogVl2: a CDialogVl that remembers its window position in its INI file ("Left" and
// "Top" in section iniSection): restored when the dialog is initialised, kept inside the
// desktop work area, and stored when the window is destroyed.
#pragma once

#include <string>

#include "ui/dialog_vl.h"

namespace k470 {

class CDialogVl2 : public CDialogVl {
 public:
  CDialogVl2(int templateId, CWnd* parent)
      : CDialogVl(templateId, parent), m_iniSection("System") {}

  BOOL DestroyWindow() override;

  const std::string& IniPath() const { return m_iniPath; }

 protected:
  BOOL OnInitDialog() override;
  bool PlacesItself() const override { return true; }

  void RestorePosition(const std::string& path);
  void SavePosition(const std::string& path);
  void MoveIntoWorkArea(int x, int y, int width, int height);

  std::string m_iniPath;     // may be set by a derived class before initialisation
  std::string m_iniSection;  // "System"
};

}  // namespace k470
