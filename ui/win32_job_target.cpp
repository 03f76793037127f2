// Win32JobTarget: posted job reports with owned status texts, and job message boxes.
#include "ui/win32_job_target.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ui/centre_window.h"
#include "ui/own_reasons.h"
#include "ui/wide_text.h"

namespace k470 {

void Win32JobTarget::PostStatus(const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy == nullptr) return;  // out of memory: this status is not shown
  std::memcpy(copy, text, length + 1);
  if (!PostMessageW(m_window, m_message, kProgressStatus, reinterpret_cast<LPARAM>(copy))) {
    delete[] copy;  // never queued: nobody else will free it
  }
}

void Win32JobTarget::PostProgress(const JobProgress& progress) {
  JobProgress* copy = new (std::nothrow) JobProgress(progress);
  if (copy == nullptr) return;  // out of memory: a later report shows the progress
  if (!PostMessageW(m_window, m_message, kProgressNumbers, reinterpret_cast<LPARAM>(copy))) {
    delete copy;
  }
}

void Win32JobTarget::PostEnded(int result) {
  PostMessageW(m_window, m_message, kProgressEnded, static_cast<LPARAM>(result));
}

void Win32JobTarget::PostBoardState(int state) {
  PostMessageW(m_window, WM_BOARD_STATE, 0, static_cast<LPARAM>(state));
}

void Win32JobTarget::ShowMessage(const char* text, MessageIcon icon, const char* detail) {
  // Owned by the job's window, so the box stays in front of the progress dialog that
  // waits for the job's end; without a live window the box stands alone.
  HWND owner = (m_window != nullptr && IsWindow(m_window)) ? m_window : nullptr;
  const UINT kind = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONERROR;
  // The detail is the system's reason or a file name, in the system's code page.
  std::wstring shown = Widen(text);
  if (detail != nullptr) {
    const std::string reason = ShownReason(detail);
    // A reason of the program's own is one of its texts; anything else is the system's
    // words or a file name.
    shown += L"\n" + (reason != detail ? Widen(reason) : WidenName(detail));
  }
  if (icon == MessageIcon::Information && !m_subject.empty())
    shown += L"\n" + WidenName(m_subject);
  const std::string notes = TakeNotes();
  if (!notes.empty()) shown += L"\n" + Widen(notes);
  MessageBoxOverOwner(owner, shown, kMessageBoxTitle, MB_OK | kind);
}

void Win32JobTarget::PostNote(const char* text) {
  std::lock_guard<std::mutex> lock(m_notesMutex);
  if (!m_notes.empty()) m_notes += '\n';
  m_notes += text != nullptr ? text : "";
}

void Win32JobTarget::PostVerify(const VerifyReport& report) {
  if (report.result != VerifyResult::Verified || report.readBack) return;
  char text[32];
  std::snprintf(text, sizeof text, "verified: sum 0x%08X", static_cast<unsigned>(report.chipSum));
  PostNote(text);
}

std::string Win32JobTarget::TakeNotes() {
  std::lock_guard<std::mutex> lock(m_notesMutex);
  std::string notes;
  notes.swap(m_notes);
  return notes;
}

JobProgress TakePostedProgress(LPARAM lParam) {
  JobProgress* copy = reinterpret_cast<JobProgress*>(lParam);
  if (copy == nullptr) return JobProgress();
  const JobProgress progress = *copy;
  delete copy;
  return progress;
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
  while (PeekMessageW(&msg, window, message, message, PM_REMOVE)) {
    if (msg.wParam == kProgressStatus) TakePostedText(msg.lParam);
    if (msg.wParam == kProgressNumbers) TakePostedProgress(msg.lParam);
  }
}

}  // namespace k470
