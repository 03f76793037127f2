// CDlgAbout: texts, link labels and the shell requests behind them.
#include "ui/dlg_about.h"

#include <shellapi.h>

#include "ui/resource.h"
#include "ui/screen_dpi.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {
constexpr int kLinkFontWidthDefault = 0;    // the face's own width for the height
constexpr int kLinkFontHeightFallbackPx = 12;  // at 100 %, without a dialog font to take it from
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
}  // namespace

CDlgAbout::CDlgAbout(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

INT_PTR CDlgAbout::ShowAbout(const char* name, const char* version) {
  m_title = std::string("About ") + name;
  m_versionText = std::string(name) + " Version " + version;
  return DoModal();
}

void CDlgAbout::DoDataExchange() {
  m_mailLink.SubclassDlgItem(IDC_STATIC_MAIL_LINK, this);
  m_webLink.SubclassDlgItem(IDC_STATIC_WEB_LINK, this);
  m_version.SubclassDlgItem(IDC_STATIC_VERSION, this);
}

void CDlgAbout::SetUpLink(CStaticCursor& link, const char* text) {
  link.SetHoverCursor(IDC_HAND);
  SetLinkFont(link);
  link.SetTextColor(kLinkColour, 1);
  link.SetUnderline(1, 1);
  link.SetWindowText(text);
}

void CDlgAbout::SetLinkFont(CStaticCursor& link) {
  // The links are in the face of the dialog's other texts (its template's: ＭＳ ゴシック in
  // Japanese, MS Shell Dlg in English) and as large, at the dialog's present scale.
  int height = ScaleFromStandardDpi(kLinkFontHeightFallbackPx, WindowDpi(m_hWnd));
  std::string face;
  LOGFONTW dialogFont = {};
  HFONT font = DialogFont();
  if (font != nullptr && GetObjectW(font, sizeof dialogFont, &dialogFont) != 0) {
    if (dialogFont.lfHeight != 0) height = dialogFont.lfHeight;
    face = Narrow(dialogFont.lfFaceName);
  }
  link.SetFontFace(face.empty() ? nullptr : face.c_str(), kLinkFontWidthDefault, height, 1);
}

void CDlgAbout::ScaleTo(UINT dpi) {
  CDialog::ScaleTo(dpi);
  SetLinkFont(m_webLink);
  SetLinkFont(m_mailLink);
}

BOOL CDlgAbout::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_title);
  m_version.SetWindowText(m_versionText);
  SetUpLink(m_webLink, kMakerWebUrl);
  SetUpLink(m_mailLink, kMakerMailAddress);
  return TRUE;
}

bool CDlgAbout::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (code != STN_CLICKED) return false;
  if (id == IDC_STATIC_WEB_LINK) {
    ShellExecuteW(nullptr, L"open", Widen(kMakerWebUrl).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
  }
  if (id == IDC_STATIC_MAIL_LINK) {
    const std::string mail = std::string("mailto:") + kMakerMailAddress;
    ShellExecuteW(nullptr, L"open", Widen(mail).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
  }
  return false;
}

}  // namespace k470
