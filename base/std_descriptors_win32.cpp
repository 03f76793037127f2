// OpenClosedStdDescriptors on Windows: the C runtime's descriptors 0, 1 and 2 onto NUL,
// with the process's standard handles to match.
#include "base/std_descriptors.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace k470 {

void OpenClosedStdDescriptors() {
  const DWORD kStdHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int fd = 0; fd <= 2; ++fd) {
    const intptr_t handle = _get_osfhandle(fd);
    if (handle != -1 && handle != -2) continue;  // -2: no handle behind it
    const int null = _open("NUL", _O_RDWR | _O_BINARY);
    if (null < 0) continue;
    if (null != fd) {
      _dup2(null, fd);
      _close(null);
    }
    SetStdHandle(kStdHandles[fd], reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
  }
}

}  // namespace k470
