#!/bin/sh
# Prepares the Wine prefix for the window tests. Without a window manager on the Xvfb
# display, Wine draws frames and captions itself when its windows are not managed, and a
# closing window does not wait for a window manager's answer (2 s each otherwise). The
# dialogs' fixed-pitch Japanese face is drawn with the fixed-pitch CJK font installed, and
# their proportional Japanese face with the proportional one, as a Windows of any display
# language has it (Wine has it only in a Japanese locale).
set -e
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'Noto Sans Mono CJK JP' /f >/dev/null
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Noto Sans CJK JP' /f >/dev/null
wineserver -w
