// Win32JobTarget: posted job reports with owned status texts, and job message boxes.
#include "ui/win32_job_target.h"

#include <cstring>
#include <new>

#include "ui/centre_window.h"

namespace k470 {

void Win32JobTarget::PostStatus(unsigned message, const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy == nullptr) return;  // out of memory: this status is not shown
  std::memcpy(copy, text, length + 1);
  if (!PostMessageA(m_window, message, kProgressStatus, reinterpret_cast<LPARAM>(copy))) {
    delete[] copy;  // never queued: nobody else will free it
  }
}

void Win32JobTarget::PostEnded(unsigned message, int result) {
  PostMessageA(m_window, message, kProgressEnded, static_cast<LPARAM>(result));
}

void Win32JobTarget::PostBoardState(int state) {
  PostMessageA(m_window, WM_BOARD_STATE, 0, static_cast<LPARAM>(state));
}

void Win32JobTarget::ShowMessage(const char* text, MessageIcon icon) {
  // Owned by the job's window, so the box stays in front of the progress dialog that
  // waits for the job's end; without a live window the box stands alone.
  HWND owner = (m_window != nullptr && IsWindow(m_window)) ? m_window : nullptr;
  const UINT kind = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONERROR;
  MessageBoxOverOwner(owner, text != nullptr ? text : "", kMessageBoxTitle, MB_OK | kind);
}

std::string TakePostedText(LPARAM lParam) {
  char* copy = reinterpret_cast<char*>(lParam);
  if (copy == nullptr) return std::string();
  std::string text(copy);
  delete[] copy;
  return text;
}

void DiscardPostedTexts(HWND window, UINT message) {
  MSG msg;
  while (PeekMessageA(&msg, window, message, message, PM_REMOVE)) {
    if (msg.wParam == static_cast<WPARAM>(kProgressStatus)) TakePostedText(msg.lParam);
  }
}

}  // namespace k470
