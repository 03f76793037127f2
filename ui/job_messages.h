// The window messages through which jobs report to the windows (WM_USER is 0x400), and
// their wParam values.
#pragma once

#include <windows.h>

namespace k470 {

constexpr UINT WM_LOAD_PROGRESS = WM_USER + 100;   // CThreadLoad → CDlgLoad
constexpr UINT WM_WRITE_PROGRESS = WM_USER + 101;  // CThreadWrite → CDlgWrite
constexpr UINT WM_BOARD_STATE = WM_USER + 102;     // CThreadCchk → CFormRamLoad
constexpr UINT WM_BOARD_OUTPUT = WM_USER + 103;    // CThreadBoardOutput → CFormRamLoad

// wParam of the two progress messages.
constexpr WPARAM kProgressStatus = 0;   // lParam: an owned copy of a status text
constexpr WPARAM kProgressEnded = 1;    // lParam: the job's result code
constexpr WPARAM kProgressNumbers = 2;  // lParam: an owned copy of a JobProgress

}  // namespace k470
