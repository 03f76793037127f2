// The dialog layer and the controls' window halves, in a window of their own under Wine:
// the modal loop and its key pre-filter (Enter and Escape), template list data, reflected
// change notifications and colour requests, the port selector's list, the templates of
// the program's language.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <windows.h>
#include <dbt.h>

#include "base/texts.h"
#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"
#include "ui/dlg_about.h"
#include "ui/edit_ex.h"
#include "ui/resource.h"
#include "ui/screen_dpi.h"
#include "ui/static_ex.h"

namespace k470 {
namespace {

constexpr UINT_PTR kWatchdogTimer = 99;
constexpr UINT kWatchdogMs = 5000;   // a dialog that is still up then has hung the test
constexpr INT_PTR kHung = -2;
constexpr UINT_PTR kStepTimer = 98;
constexpr UINT kStepMs = 50;

// A dialog from one of the program's templates that runs `body` once it is up; a
// watchdog ends it with kHung so that a dialog that would stay open fails instead.
class TestDialog : public CDialogVl {
 public:
  TestDialog(int templateId, std::function<void(TestDialog&)> body)
      : CDialogVl(templateId, nullptr), m_body(std::move(body)) {}

  std::function<void(TestDialog&, int step)> onStep;
  int okCalls = 0;
  int cancelCalls = 0;

 protected:
  BOOL OnInitDialog() override {
    CDialogVl::OnInitDialog();
    SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMs, nullptr);
    if (onStep) SetTimer(m_hWnd, kStepTimer, kStepMs, nullptr);
    if (m_body) m_body(*this);
    return TRUE;
  }
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_TIMER && wp == kWatchdogTimer) {
      EndDialog(kHung);
      return TRUE;
    }
    if (msg == WM_TIMER && wp == kStepTimer) {
      onStep(*this, m_step++);
      return TRUE;
    }
    return CDialogVl::DialogProc(msg, wp, lp);
  }
  void OnOK() override {
    ++okCalls;
    CDialogVl::OnOK();
  }
  void OnCancel() override {
    ++cancelCalls;
    CDialogVl::OnCancel();
  }

 private:
  std::function<void(TestDialog&)> m_body;
  int m_step = 0;
};

void PostKey(HWND hwnd, WPARAM key) {
  PostMessageA(hwnd, WM_KEYDOWN, key, 1);
  PostMessageA(hwnd, WM_KEYUP, key, 0xC0000001);
}

TEST(DialogLayer, EnterAndEscapeDoNotEndTheDialogButTheCloseRequestDoes) {
  bool upAfterKeys = false;
  TestDialog dialog(IDD_DLG_LOAD, nullptr);
  dialog.onStep = [&upAfterKeys](TestDialog& d, int step) {
    HWND focus = GetFocus();
    switch (step) {
      case 0: PostKey(focus, VK_RETURN); break;
      case 1: PostKey(focus, VK_ESCAPE); break;
      case 2: PostKey(d.m_hWnd, VK_RETURN); break;
      case 3: PostKey(d.m_hWnd, VK_ESCAPE); break;
      case 5:
        // Still here after the keys: the close request (Cancel) ends the dialog.
        upAfterKeys = IsWindowVisible(d.m_hWnd) != 0;
        PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0);
        break;
      default: break;
    }
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(upAfterKeys);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_GE(dialog.cancelCalls, 2);
}

TEST(DialogLayer, ButtonClickEndsTheDialogAndTemplateListDataIsApplied) {
  std::string items;
  TestDialog dialog(IDD_DLG_FSET, [&items](TestDialog& d) {
    HWND combo = d.GetDlgItem(IDC_COMBO_BAUD);
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[32] = {};
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items += std::string(text) + ",";
    }
    PostMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(d.GetDlgItem(IDOK)));
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(items, "9600,19200,38400,57600,");
}

std::string ComboItems(HWND combo) {
  std::string items;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items += std::string(text) + ",";
  }
  return items;
}

void Type(const CWnd& control, const char* text) {
  for (const char* c = text; *c != '\0'; ++c)
    SendMessageA(control.m_hWnd, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

// The brush and colours a dialog answers a control's colour request with.
struct Colours {
  HBRUSH brush;
  COLORREF text;
  COLORREF back;
};
Colours AskColours(const CWnd& dialog, const CWnd& control, UINT request) {
  HDC dc = GetDC(control.m_hWnd);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkColor(dc, RGB(4, 5, 6));
  Colours c;
  c.brush = reinterpret_cast<HBRUSH>(
      SendMessageA(dialog.m_hWnd, request, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control.m_hWnd)));
  c.text = GetTextColor(dc);
  c.back = GetBkColor(dc);
  ReleaseDC(control.m_hWnd, dc);
  return c;
}

void EndWithOk(TestDialog& d) {
  PostMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(d.GetDlgItem(IDOK)));
}

// The program picks the templates of its own language, not of the thread's (Japanese in
// this run); a resource its language lacks (the list items) is taken in Japanese.
TEST(DialogLayer, TemplatesInTheProgramsLanguageListItemsFromJapanese) {
  for (const auto& [language, caption] : {std::pair{Language::kEnglish, L"Settings"},
                                          std::pair{Language::kJapanese, L"\u8a2d\u5b9a"}}) {
    SetLanguage(language);
    wchar_t shown[32] = {};
    int items = 0;
    TestDialog dialog(IDD_DLG_FSET, [&](TestDialog& d) {
      GetWindowTextW(d.m_hWnd, shown, 32);
      items = static_cast<int>(SendMessageA(d.GetDlgItem(IDC_COMBO_BAUD), CB_GETCOUNT, 0, 0));
      EndWithOk(d);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::wstring(shown), caption);
    EXPECT_EQ(items, 4);
  }
  SetLanguage(Language::kJapanese);
}

// What a move to a monitor of another scale changes in the about box.
struct AboutLook {
  LONG textFont = 0;  // the height of the version line's font
  LONG linkFont = 0;  // and of a link's
  RECT ok = {};
  RECT client = {};
  int iconWidth = 0;
};

LONG FontHeight(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

int WidthOf(const RECT& r) { return r.right - r.left; }

// The about box moved to a monitor of 200 % and back to the system's scale, looked at on
// the way.
class MovedAbout : public CDlgAbout {
 public:
  AboutLook before, moved, back;
  UINT systemDpi = 0;

 protected:
  BOOL OnInitDialog() override {
    CDlgAbout::OnInitDialog();
    systemDpi = WindowDpi(m_hWnd);
    before = Look();
    Move(192);
    moved = Look();
    Move(systemDpi);
    back = Look();
    PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(IDOK)));
    return TRUE;
  }

 private:
  void Move(UINT dpi) {
    RECT suggested = {};
    GetWindowRect(m_hWnd, &suggested);
    SendMessageW(m_hWnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  AboutLook Look() const {
    AboutLook look;
    look.textFont = FontHeight(GetDlgItem(IDC_STATIC_VERSION));
    look.linkFont = FontHeight(GetDlgItem(IDC_STATIC_WEB_LINK));
    GetWindowRect(GetDlgItem(IDOK), &look.ok);
    GetClientRect(m_hWnd, &look.client);
    HWND icon = FindWindowExW(m_hWnd, nullptr, L"Static", nullptr);
    while (icon != nullptr && (GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
      icon = FindWindowExW(m_hWnd, icon, L"Static", nullptr);
    RECT r = {};
    if (icon != nullptr) GetWindowRect(icon, &r);
    look.iconWidth = WidthOf(r);
    return look;
  }
};

TEST(DialogScale, MovedToAnotherScaleADialogTakesItsFontsSizesAndIconAndComesBackAsItWas) {
  for (Language language : {Language::kJapanese, Language::kEnglish}) {
    SetLanguage(language);
    const int points = language == Language::kJapanese ? 9 : 8;  // the template's font
    MovedAbout about;
    EXPECT_EQ(about.ShowAbout("K470Loader", "2.00"), IDOK);
    SCOPED_TRACE(language == Language::kJapanese ? "Japanese" : "English");
    // Fonts made for 200 %, the links' as large as the other texts.
    EXPECT_EQ(about.moved.textFont, -MulDiv(points, 192, 72));
    EXPECT_EQ(about.moved.linkFont, about.moved.textFont);
    // Controls and the dialog grow with the font (from the system's scale to 200 %).
    const double growth = 192.0 / about.systemDpi;
    EXPECT_NEAR(WidthOf(about.moved.ok), WidthOf(about.before.ok) * growth,
                WidthOf(about.before.ok) * growth * 0.15);
    EXPECT_NEAR(about.moved.client.bottom, about.before.client.bottom * growth,
                about.before.client.bottom * growth * 0.15);
    EXPECT_EQ(about.moved.iconWidth, SystemMetricForDpi(SM_CXICON, 192));
    // Back at the system's scale, as the dialog manager made it.
    EXPECT_EQ(about.back.textFont, about.before.textFont);
    EXPECT_EQ(about.back.linkFont, about.before.linkFont);
    EXPECT_NEAR(WidthOf(about.back.ok), WidthOf(about.before.ok), 1);
    EXPECT_NEAR(about.back.client.right, about.before.client.right, 2);
    EXPECT_NEAR(about.back.client.bottom, about.before.client.bottom, 2);
  }
  SetLanguage(Language::kJapanese);
}

// The program icon comes in the sizes of the title bar and of Alt+Tab at 100 % to 200 %.
TEST(DialogScale, ProgramIconInTheSizesOfEveryScale) {
  for (const auto& [dpi, smallSide, largeSide] :
       {std::tuple{96u, 16, 32}, std::tuple{120u, 20, 40}, std::tuple{144u, 24, 48},
        std::tuple{192u, 32, 64}}) {
    for (const auto& [metric, side] :
         {std::pair{SM_CXSMICON, smallSide}, std::pair{SM_CXICON, largeSide}}) {
      HICON icon = LoadProgramIcon(IDR_MAINFRAME, metric, dpi);
      ICONINFO info = {};
      BITMAP colour = {};
      ASSERT_TRUE(icon != nullptr && GetIconInfo(icon, &info)) << dpi;
      GetObjectW(info.hbmColor, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, side) << dpi << " dpi, metric " << metric;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

TEST(EditControls, AddressFieldTakesOnlyHexadecimal32BitTexts) {
  CEditDword address(0, 16);
  TestDialog dialog(IDD_DLG_FSET, [&address](TestDialog& d) {
    ASSERT_EQ(address.SubclassDlgItem(IDC_EDIT_CLK, &d), 1);
    address.SetWindowText("00200000");
    EXPECT_EQ(address.GetValue(), 0x200000u);
    // Above 32 bits, eleven characters, a stray letter: the last good text comes back.
    for (const char* bad : {"123456789", "00000000001", "12Z4"}) {
      address.SetWindowText(bad);
      EXPECT_EQ(address.GetWindowText(), "00200000") << bad;
      EXPECT_EQ(address.GetValue(), 0x200000u) << bad;
    }
    address.SetWindowText("00FFFFFFFF");
    EXPECT_EQ(address.GetValue(), 0xFFFFFFFFu);
    address.SetWindowText("");
    EXPECT_EQ(address.GetValue(), 0u);
    // Typing: digits of the radix and backspace pass; G, blanks and shortcuts do not.
    Type(address, "2G 1\x16" "0f");
    EXPECT_EQ(address.GetWindowText(), "210f");
    EXPECT_EQ(address.GetValue(), 0x210Fu);
    Type(address, "\b");
    EXPECT_EQ(address.GetWindowText(), "210");

    // Black on the window colour, in every state.
    const Colours normal = AskColours(d, address, WM_CTLCOLOREDIT);
    address.EnableWindow(false);
    const Colours disabled = AskColours(d, address, WM_CTLCOLORSTATIC);
    for (const Colours& c : {normal, disabled}) {
      EXPECT_EQ(c.brush, GetSysColorBrush(COLOR_WINDOW));
      EXPECT_EQ(c.text, RGB(0, 0, 0));
      EXPECT_EQ(c.back, GetSysColor(COLOR_WINDOW));
    }
    EndWithOk(d);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(EditControls, ClockFieldTakesNumbersOnlyThroughValidTexts) {
  CEditDouble clock;
  TestDialog dialog(IDD_DLG_FSET, [&clock](TestDialog& d) {
    ASSERT_EQ(clock.SubclassDlgItem(IDC_EDIT_CLK, &d), 1);
    clock.SetValue(20.0);
    EXPECT_EQ(clock.GetWindowText(), "20.000000");
    EXPECT_EQ(clock.GetValue(), 20.0);
    clock.SetWindowText("");
    EXPECT_EQ(clock.GetValue(), 0.0);
    Type(clock, "-");  // not a number on its own: undone at once
    EXPECT_EQ(clock.GetWindowText(), "");
    Type(clock, "1.5");
    EXPECT_EQ(clock.GetWindowText(), "1.5");
    EXPECT_EQ(clock.GetValue(), 1.5);
    SendMessageA(clock.m_hWnd, EM_SETSEL, 3, 3);
    Type(clock, ".x");
    EXPECT_EQ(clock.GetWindowText(), "1.5");
    EXPECT_EQ(clock.GetValue(), 1.5);

    // A disabled clock field keeps the platform's disabled colours.
    clock.EnableWindow(false);
    const Colours disabled = AskColours(d, clock, WM_CTLCOLORSTATIC);
    EXPECT_NE(disabled.brush, GetSysColorBrush(COLOR_WINDOW));
    EndWithOk(d);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(StaticControls, ColouredLabelAnswersStaticColourRequestsOnly) {
  CStaticEx label;
  TestDialog dialog(IDD_DLG_FSET, [&label](TestDialog& d) {
    ASSERT_EQ(label.SubclassDlgItem(IDC_STATIC_CLK, &d), 1);
    Colours c = AskColours(d, label, WM_CTLCOLORSTATIC);
    EXPECT_EQ(c.back, GetSysColor(COLOR_BTNFACE));
    label.SetBackColor(RGB(0, 255, 0), 1).SetTextColor(RGB(0, 0, 255), 1);
    c = AskColours(d, label, WM_CTLCOLORSTATIC);
    LOGBRUSH brush = {};
    GetObjectA(c.brush, sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(0, 255, 0));
    EXPECT_EQ(c.back, RGB(0, 255, 0));
    EXPECT_EQ(c.text, RGB(0, 0, 255));
    EXPECT_EQ(label.BackColor(), RGB(0, 255, 0));
    // Another kind of request gets the default handling, not the label's brush.
    EXPECT_NE(AskColours(d, label, WM_CTLCOLORBTN).brush, c.brush);
    EXPECT_EQ(label.SetUnderline(1, 1), 1);
    EXPECT_EQ(label.SetFontFace("ＭＳ ゴシック", 6, 12, 1), 1);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(label.m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTA log = {};
    GetObjectA(font, sizeof log, &log);
    EXPECT_EQ(log.lfHeight, 12);
    EXPECT_EQ(log.lfWidth, 6);
    EXPECT_TRUE(log.lfUnderline);
    EXPECT_STREQ(log.lfFaceName, "ＭＳ ゴシック");
    EndWithOk(d);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(PortSelector, ListsPresentPortsAscendingAndChoosesThePreferredOne) {
  struct Case {
    std::vector<int> present;
    int select;
    int fillResult;
    const char* items;
    int selectedPort;
  };
  const Case cases[] = {
      {{10, 1, 3, 0, 256}, 1, 1, "COM1,COM3,COM10,", 1},
      {{7, 3}, 1, 1, "COM3,COM7,", 3},    // no COM1: the first port listed
      {{3, 7}, 7, 1, "COM3,COM7,", 7},
      {{}, 1, 1, "", 0},                  // no ports: nothing to connect to
      {{1, 2}, 0, 0, "", 0},              // a preferred port outside 1..255 lists nothing
  };
  for (const Case& test : cases) {
    CComboBoxCom ports(0);
    ports.MarkAllAbsent();
    for (int p : test.present) ports.MarkPresent(p);
    TestDialog dialog(IDD_K470LOADER_DIALOG, [&ports, &test](TestDialog& d) {
      ASSERT_EQ(ports.SubclassDlgItem(IDC_COMBO_COM, &d), 1);
      EXPECT_EQ(ports.Fill(test.select), test.fillResult);
      EXPECT_EQ(ComboItems(ports.m_hWnd), test.items);
      EXPECT_EQ(ports.GetSelectedPort(), test.selectedPort);
      EndWithOk(d);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK) << test.items;
  }
  // Every port present without the registry.
  CComboBoxCom all(0);
  TestDialog dialog(IDD_K470LOADER_DIALOG, [&all](TestDialog& d) {
    all.SubclassDlgItem(IDC_COMBO_COM, &d);
    all.Fill(255);
    EXPECT_EQ(all.GetCount(), 255);
    EXPECT_EQ(all.GetSelectedPort(), 255);
    EndWithOk(d);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(PortSelector, FollowsTheSystemsListWithDescriptionsAndKeepsTheChoice) {
  std::vector<PortEntry> present = {{3, "\\\\.\\COM3", "USB Serial Port"},
                                    {7, "\\\\.\\COM7"}};
  CComboBoxCom ports(1);
  ports.SetPortSource([&present] { return present; });
  TestDialog dialog(IDD_K470LOADER_DIALOG, [&ports, &present](TestDialog& d) {
    ASSERT_EQ(ports.SubclassDlgItem(IDC_COMBO_COM, &d), 1);
    ports.Fill(7);
    EXPECT_EQ(ComboItems(ports.m_hWnd), "COM3: USB Serial Port,COM7,");
    EXPECT_EQ(ports.GetSelectedPortName(), "COM7");
    // A port that came is listed when the list is opened; the chosen one stays chosen.
    present.push_back({12, "\\\\.\\COM12", "Board Console with a long name (Example Labs)"});
    SendMessageW(ports.m_hWnd, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(ports.m_hWnd, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(ComboItems(ports.m_hWnd),
              "COM3: USB Serial Port,COM7,COM12: Board Console with a long name (Example Labs),");
    EXPECT_EQ(ports.GetSelectedPort(), 7);
    // The open list is wide enough for the longest entry, wider than the box.
    RECT box = {};
    GetWindowRect(ports.m_hWnd, &box);
    EXPECT_GT(SendMessageW(ports.m_hWnd, CB_GETDROPPEDWIDTH, 0, 0), box.right - box.left);
    // A described entry is its port; a removed port gives way to the first entry.
    ports.SetCurSel(0);
    EXPECT_EQ(ports.GetSelectedPortName(), "COM3");
    present.erase(present.begin());
    ports.OnDeviceChange(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(ComboItems(ports.m_hWnd),
              "COM7,COM12: Board Console with a long name (Example Labs),");
    EXPECT_EQ(ports.GetSelectedPortName(), "COM7");
    // A typed name outlives the list's changes; a disabled box keeps its vanished port.
    ports.SetWindowText("rfc2217://rack:4001");
    ports.OnDeviceChange(DBT_DEVNODES_CHANGED);
    EXPECT_EQ(ports.GetSelectedPortName(), "rfc2217://rack:4001");
    ports.SetCurSel(1);
    ports.EnableWindow(false);
    present.pop_back();
    ports.OnDeviceChange(DBT_DEVICEARRIVAL);
    EXPECT_EQ(ports.GetSelectedPortName(), "COM12");
    ports.EnableWindow(true);
    // Only COM ports count as the last port used.
    ports.NoteUsed("COM12");
    ports.NoteUsed("rfc2217://rack:4001");
    EXPECT_EQ(ports.LastUsedPort(), 12);
    EndWithOk(d);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
}  // namespace k470
