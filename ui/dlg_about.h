// CDlgAbout: the about box: icon, name and version, the maker's line and two link labels
// that open the maker's web page and start a mail to its support address.
#pragma once

#include <string>

#include "ui/dialog.h"
#include "ui/static_ex.h"

namespace k470 {

constexpr const char* kMakerWebUrl = "https://www.example.com/k470loader/";
constexpr const char* kMakerMailAddress = "support@example.com";

class CDlgAbout : public CDialog {
 public:
  explicit CDlgAbout(CWnd* parent = nullptr);
  ~CDlgAbout() override = default;

  // Title "About <name>", line "<name> Version <version>"; runs the box modally.
  virtual INT_PTR ShowAbout(const char* name, const char* version);

  // The links' fonts follow the dialog's.
  void ScaleTo(UINT dpi) override;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void SetUpLink(CStaticCursor& link, const char* text);
  void SetLinkFont(CStaticCursor& link);

  CStaticCursor m_mailLink;
  CStaticCursor m_webLink;
  CStatic m_version;
  std::string m_title;
  std::string m_versionText;
};

}  // namespace k470
