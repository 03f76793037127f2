// ReadTableFile on POSIX systems: open follows links to the file; O_NONBLOCK keeps a FIFO
// without a writer from blocking the open, and fstat on the open descriptor tells what
// was opened.
#include "flash/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "serial/system_error_text.h"

namespace k470 {
namespace {

constexpr size_t kReadChunkBytes = 64 * 1024;

TableFileKind Failed(int error, std::string* reason) {
  *reason = SystemErrorText(static_cast<unsigned long>(error));
  return TableFileKind::kFailed;
}

TableFileKind ReadOpenFile(int fd, uint64_t maxBytes, std::string* bytes, std::string* reason) {
  struct stat status;
  if (::fstat(fd, &status) != 0) return Failed(errno, reason);
  if (!S_ISREG(status.st_mode)) return TableFileKind::kNotRegular;
  if (static_cast<uint64_t>(status.st_size) > maxBytes) return TableFileKind::kTooLarge;
  // Read to the end, one byte beyond the limit at most: a file that grew since fstat is
  // still held to it.
  bytes->clear();
  char chunk[kReadChunkBytes];
  while (bytes->size() <= maxBytes) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failed(errno, reason);
    if (got == 0) return TableFileKind::kRegular;
    bytes->append(chunk, static_cast<size_t>(got));
  }
  return TableFileKind::kTooLarge;
}

}  // namespace

TableFileKind ReadTableFile(const std::string& path, uint64_t maxBytes, std::string* bytes,
                            std::string* reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return TableFileKind::kMissing;
    return Failed(errno, reason);
  }
  const TableFileKind kind = ReadOpenFile(fd, maxBytes, bytes, reason);
  ::close(fd);
  return kind;
}

}  // namespace k470
