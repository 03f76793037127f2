// DialogScale: reads the extended dialog template (font, dialog size, each control's id
// and rectangle) and lays the dialog's window out again from it at a given scale.
#include "ui/dialog_scale.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/screen_dpi.h"

namespace k470 {
namespace {

constexpr uint16_t kExtendedTemplateVersion = 1;
constexpr uint16_t kExtendedTemplateSignature = 0xFFFF;
constexpr uint16_t kOrdinalMark = 0xFFFF;
constexpr int kPointsPerInch = 72;
// The dialog units: four to the average character's width, eight to the font's height.
constexpr int kUnitsPerBaseX = 4;
constexpr int kUnitsPerBaseY = 8;
constexpr int kAlphabetLetters = 52;
constexpr const wchar_t* kAlphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct TemplateItem {
  int id;
  int x, y, width, height;
  int iconId;  // the icon of an icon static (its title's ordinal), else 0
};

struct TemplateLayout {
  int width = 0;
  int height = 0;
  bool hasFont = false;
  int pointSize = 0;
  int weight = 0;
  bool italic = false;
  BYTE charset = DEFAULT_CHARSET;
  std::wstring face;
  std::vector<TemplateItem> items;
};

// Reads the template's bytes front to back; any read past its end fails the whole read.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

  bool Word(uint16_t* out) { return Bytes(out, sizeof *out); }
  bool Dword(uint32_t* out) { return Bytes(out, sizeof *out); }
  bool Short(int* out) {
    int16_t value = 0;
    if (!Bytes(&value, sizeof value)) return false;
    *out = value;
    return true;
  }
  bool Byte(BYTE* out) { return Bytes(out, sizeof *out); }

  // A NUL-ended UTF-16 text.
  bool Text(std::wstring* out) {
    out->clear();
    for (;;) {
      uint16_t c = 0;
      if (!Word(&c)) return false;
      if (c == 0) return true;
      out->push_back(static_cast<wchar_t>(c));
    }
  }

  // A name or an ordinal: nothing (0), an ordinal (0xFFFF and a word) or a text. The
  // ordinal, when there is one, goes to `ordinal`.
  bool NameOrOrdinal(int* ordinal = nullptr) {
    uint16_t first = 0;
    if (!Word(&first)) return false;
    if (first == 0) return true;
    if (first == kOrdinalMark) {
      uint16_t value = 0;
      if (!Word(&value)) return false;
      if (ordinal != nullptr) *ordinal = value;
      return true;
    }
    std::wstring rest;
    return Text(&rest);
  }

  bool Skip(size_t count) {
    if (count > m_size - m_at) return false;
    m_at += count;
    return true;
  }

  bool AlignToDword() { return Skip((4 - m_at % 4) % 4); }

 private:
  bool Bytes(void* out, size_t count) {
    if (count > m_size - m_at) return false;
    std::memcpy(out, m_data + m_at, count);
    m_at += count;
    return true;
  }

  const BYTE* m_data;
  size_t m_size;
  size_t m_at = 0;
};

bool ReadTemplate(const BYTE* data, size_t size, TemplateLayout* layout) {
  TemplateReader in(data, size);
  uint16_t version = 0, signature = 0, count = 0;
  uint32_t helpId = 0, exStyle = 0, style = 0;
  int x = 0, y = 0;
  if (!in.Word(&version) || !in.Word(&signature) || version != kExtendedTemplateVersion ||
      signature != kExtendedTemplateSignature)
    return false;
  if (!in.Dword(&helpId) || !in.Dword(&exStyle) || !in.Dword(&style) || !in.Word(&count) ||
      !in.Short(&x) || !in.Short(&y) || !in.Short(&layout->width) || !in.Short(&layout->height))
    return false;
  std::wstring title;
  if (!in.NameOrOrdinal() || !in.NameOrOrdinal() || !in.Text(&title)) return false;
  layout->hasFont = (style & (DS_SETFONT | DS_SHELLFONT)) != 0;
  if (layout->hasFont) {
    uint16_t points = 0, weight = 0;
    BYTE italic = 0;
    if (!in.Word(&points) || !in.Word(&weight) || !in.Byte(&italic) || !in.Byte(&layout->charset) ||
        !in.Text(&layout->face))
      return false;
    layout->pointSize = points;
    layout->weight = weight;
    layout->italic = italic != 0;
  }
  for (uint16_t i = 0; i < count; ++i) {
    TemplateItem item = {};
    uint32_t id = 0;
    uint16_t extra = 0;
    int title = 0;
    if (!in.AlignToDword() || !in.Dword(&helpId) || !in.Dword(&exStyle) || !in.Dword(&style) ||
        !in.Short(&item.x) || !in.Short(&item.y) || !in.Short(&item.width) ||
        !in.Short(&item.height) || !in.Dword(&id) || !in.NameOrOrdinal() ||
        !in.NameOrOrdinal(&title) || !in.Word(&extra) || !in.Skip(extra))
      return false;
    if ((style & SS_TYPEMASK) == SS_ICON) item.iconId = title;
    // The dialog manager keeps the id as a 16-bit number (IDC_STATIC is -1).
    item.id = static_cast<int16_t>(id);
    layout->items.push_back(item);
  }
  return true;
}

bool LoadTemplate(int templateId, TemplateLayout* layout) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindProgramResource(module, MAKEINTRESOURCEW(5), templateId);  // RT_DIALOG
  if (info == nullptr) return false;
  HGLOBAL handle = LoadResource(module, info);
  const void* data = handle != nullptr ? LockResource(handle) : nullptr;
  if (data == nullptr) return false;
  return ReadTemplate(static_cast<const BYTE*>(data), SizeofResource(module, info), layout);
}

// The controls that the dialog manager made from the template, in the template's order
// (the order of the children): a child the template does not name (a page set into the
// window later) is passed over.
std::vector<HWND> TemplateControls(HWND dialog, const TemplateLayout& layout) {
  std::vector<HWND> found;
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const TemplateItem& item : layout.items) {
    while (child != nullptr && static_cast<int16_t>(GetDlgCtrlID(child)) != item.id)
      child = GetWindow(child, GW_HWNDNEXT);
    if (child == nullptr) return {};
    found.push_back(child);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  return found;
}

void MeasureBase(HFONT font, int* baseX, int* baseY) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SIZE extent = {};
  GetTextExtentPoint32W(dc, kAlphabet, kAlphabetLetters, &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The average width rounded to the nearest pixel, as the dialog manager rounds it.
  *baseX = (extent.cx / (kAlphabetLetters / 2) + 1) / 2;
  *baseY = metrics.tmHeight;
}

}  // namespace

DialogScale::~DialogScale() {
  if (m_font != nullptr) DeleteObject(m_font);
  for (HICON icon : m_icons) DestroyIcon(icon);
}

int DialogScale::Apply(HWND dialog, int templateId, UINT dpi) {
  TemplateLayout layout;
  if (dialog == nullptr || !LoadTemplate(templateId, &layout) || !layout.hasFont) return 0;
  const std::vector<HWND> controls = TemplateControls(dialog, layout);
  if (controls.size() != layout.items.size()) return 0;

  LOGFONTW logFont = {};
  logFont.lfHeight = -MulDiv(layout.pointSize, static_cast<int>(dpi), kPointsPerInch);
  logFont.lfWeight = layout.weight;
  logFont.lfItalic = layout.italic ? TRUE : FALSE;
  logFont.lfCharSet = layout.charset;
  wcsncpy(logFont.lfFaceName, layout.face.c_str(), LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&logFont);
  if (font == nullptr) return 0;
  int baseX = 0, baseY = 0;
  MeasureBase(font, &baseX, &baseY);
  if (baseX <= 0 || baseY <= 0) {
    DeleteObject(font);
    return 0;
  }
  HFONT previous = m_font;
  m_font = font;
  m_baseX = baseX;
  m_baseY = baseY;

  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (size_t i = 0; i < controls.size(); ++i) {
    const TemplateItem& item = layout.items[i];
    const RECT r = ToPixels(dialog, item.x, item.y, item.width, item.height);
    SendMessageW(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(controls[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // An icon in the size of the new scale (the control takes the icon's size).
    if (item.iconId != 0) {
      HICON icon = LoadProgramIcon(item.iconId, SM_CXICON, dpi);
      if (icon != nullptr) {
        SendMessageW(controls[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        m_icons.push_back(icon);
      }
    }
  }
  // The dialog's client area as the template gives it, its frame around that.
  const RECT client = ToPixels(dialog, 0, 0, layout.width, layout.height);
  SetClientSize(dialog, client.right, client.bottom);
  InvalidateRect(dialog, nullptr, TRUE);
  // The controls hold the new font now: the old one can go.
  if (previous != nullptr) DeleteObject(previous);
  return 1;
}

void SetClientSize(HWND window, int width, int height) {
  // The frame's thickness as the window has it now (at its present scale, with its menu
  // bar in as many lines as it takes): twice, as a menu bar may wrap differently.
  for (int pass = 0; pass < 2; ++pass) {
    RECT outer = {}, inner = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    const int dx = width - inner.right;
    const int dy = height - inner.bottom;
    if (dx == 0 && dy == 0) return;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dx,
                 outer.bottom - outer.top + dy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
}

RECT DialogScale::ToPixels(HWND dialog, int x, int y, int width, int height) const {
  RECT r = {x, y, x + width, y + height};
  if (m_baseX <= 0 || m_baseY <= 0) {
    MapDialogRect(dialog, &r);
    return r;
  }
  r.left = MulDiv(x, m_baseX, kUnitsPerBaseX);
  r.top = MulDiv(y, m_baseY, kUnitsPerBaseY);
  r.right = MulDiv(x + width, m_baseX, kUnitsPerBaseX);
  r.bottom = MulDiv(y + height, m_baseY, kUnitsPerBaseY);
  return r;
}

}  // namespace k470
