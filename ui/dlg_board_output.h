// CDlgBoardOutput: the "board output" window. A resizable window beside the main window
// that shows what the started program sends (the last kOutputShownChars characters), a
// line to send with Enter, Clear and Save as. The RAM load page opens it after Go and
// feeds it from its reader job; the window itself never touches the port. Its place and
// size are kept in the INI file (section BoardOutput: Left, Top, Width, Height).
#pragma once

#include <functional>
#include <string>

#include "ui/board_output_text.h"
#include "ui/dialog_vl2.h"

namespace k470 {

constexpr int kOutputShownChars = 1 << 20;          // what the text area keeps (1 Mi)
constexpr int kOutputKeptAfterCutChars = 3 << 18;   // cut to this at once (3/4 of it)
constexpr const char* kSectionBoardOutput = "BoardOutput";

class CDlgBoardOutput : public CDialogVl2 {
 public:
  // `send` takes a line the user sends (with its CR); `iniPath` is the main window's file.
  CDlgBoardOutput(std::function<void(const std::string&)> send, const std::string& iniPath);
  ~CDlgBoardOutput() override;

  // Creates the window (hidden) owned by `owner`'s top-level window; 1/0.
  int CreateFor(CWnd* owner);
  // Shows the window without taking the focus from the main window.
  void ShowOutput();
  // Appends what the board sent.
  void Append(const std::string& bytes);
  // Whether the line and Send take input: only while the reader runs.
  void EnableSend(bool on);
  // The window's whole text (UTF-16).
  std::wstring Text() const;

  BOOL DestroyWindow() override;
  void ScaleTo(UINT dpi) override;

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnOK() override {}
  // The close box and Escape hide the window; the page ends it.
  void OnCancel() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void LayOut();
  void OnSend();
  void OnSaveAs();
  void RestoreSize();
  void SaveSize();

  std::function<void(const std::string&)> m_send;
  BoardOutputText m_render;
  CEdit m_output;
  CEdit m_line;
  CWnd m_lineLabel;
  CButton m_sendButton;
  CButton m_clear;
  CButton m_saveAs;
};

}  // namespace k470
