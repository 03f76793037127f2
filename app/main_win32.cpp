// WinMain of K470Loader.exe: the one application object and the hand-over to it.
#include <windows.h>

#include "app/k470loader.h"
#include "base/language.h"
#include "base/std_descriptors.h"

namespace {
k470::CK470Loader theApp;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  k470::OpenClosedStdDescriptors();
  // The program's language, before any window or job exists: it picks the texts and the
  // dialog templates.
  k470::SetLanguage(k470::LanguageOfUser());
  return k470::RunApplication();
}
