// Placing the program's popups over the window they belong to: dialogs and message boxes
// open centred over their owner (kept inside the owner's monitor work area), not at its
// top-left corner over its caption and menu, nor mid-screen.
#pragma once

#include <windows.h>

#include <string>

namespace k470 {

// Moves `window` so that its centre is the centre of `owner`, then inside the work area of
// the owner's monitor. Nothing happens without an owner.
void CentreOverOwner(HWND window, HWND owner);

// Moves `window` inside the work area of the monitor it is on (or the nearest one), held at
// the left and top edge when it is larger: after a move to a monitor of a larger scale the
// window, grown round its corner, may reach past the screen.
void KeepInWorkArea(HWND window);

// MessageBoxA, with the box centred over `owner` when there is one. Callable from any
// thread: the box is placed by a hook of the calling thread while it opens.
int MessageBoxOverOwner(HWND owner, const char* text, const char* title, UINT type);
// The same with a text already in UTF-16 (one that holds a file name or a system text).
int MessageBoxOverOwner(HWND owner, const std::wstring& text, const char* title, UINT type);

}  // namespace k470
