// The checked entry fields. CEditEx answers its colour requests with black text on the
// window colour in every state. CEditDword (the RAM load address) and CEditDouble (the
// clock in MHz) filter typed characters and check the whole text after every change,
// putting the last accepted text back when the new one is no valid number, with the caret
// and the selection where they were before the refused input.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/edit_value_rules.h"
#include "ui/wnd.h"

namespace k470 {

class CEditEx : public CEdit {
 public:
  CEditEx();
  ~CEditEx() override = default;

  HBRUSH CtlColor(HDC dc, int kind) override;

 private:
  COLORREF m_textColor = RGB(0, 0, 0);
  HBRUSH m_bkBrush;  // a system brush: never deleted
};

// The caret and selection of a checked field, kept from before each input that can change
// its text, and put back with the last accepted text when the new text is refused (so the
// next key lands where the user left the caret, not at the start).
class CEditChecked : public CEditEx {
 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PutBack(const std::string& lastText);
  // Ctrl+V: the clipboard's text, with the characters that `passes` refuses left out, put
  // in place of the selection as if typed.
  void PasteFiltered(const std::function<bool(unsigned)>& passes);

 private:
  DWORD m_selStart = 0;
  DWORD m_selEnd = 0;
};

class CEditDword : public CEditChecked {
 public:
  CEditDword(uint32_t initial, int radix) : m_rules(initial, radix) {}

  int SetRange(uint32_t min, uint32_t max) { return m_rules.SetRange(min, max); }
  uint32_t GetValue() const { return m_rules.GetValue(); }

  bool OnChildNotify(int code) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnChange();
  DwordEditRules m_rules;
};

// Its colour requests are not answered: it keeps the platform's edit colours (grey when
// disabled), unlike CEditDword.
class CEditDouble : public CEditChecked {
 public:
  CEditDouble() = default;

  int SetValue(double x);
  double GetValue() const { return m_rules.GetValue(); }

  bool OnChildNotify(int code) override;
  HBRUSH CtlColor(HDC dc, int kind) override {
    (void)dc;
    (void)kind;
    return nullptr;
  }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnChange();
  DoubleEditRules m_rules;
};

}  // namespace k470
