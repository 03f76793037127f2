// WinMain of K470Loader.exe: the one application object and the hand-over to it.
#include <windows.h>

#include "app/k470loader.h"
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
  return k470::RunApplication();
}
