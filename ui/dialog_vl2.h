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
  // Kept inside the work area of the monitor the window lies on (the nearest one when none).
  void MoveIntoWorkArea(int x, int y, int width, int height);
  // Another window of the same title at the same place (a second instance): this one
  // steps down and right, so that both can be seen. Called once the title is set.
  void StepAwayFromTwins();
  // The position (or the derived class's own batch) could not be written to `path`.
  virtual void OnIniNotSaved(const std::string& path, const std::string& reason) {
    (void)path;
    (void)reason;
  }

  std::string m_iniPath;     // may be set by a derived class before initialisation
  std::string m_iniSection;  // "System"
};

}  // namespace k470
