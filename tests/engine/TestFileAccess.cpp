#include "TestFileAccess.h"

#ifdef _WIN32
#include "ProjectFileDisk.h"

IProjectFileAccess& TestDiskFiles() {
  static TDiskProjectFiles files;
  return files;
}
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// errno as the Win32 codes the messages are keyed on.
unsigned SystemCode(int err) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: case ENAMETOOLONG: return 3;
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EISDIR: case EROFS: return 5;
    default: return 1000u + static_cast<unsigned>(err);
  }
}

class TPosixFiles : public IProjectFileAccess {
public:
  TFileResult ReadAll(const std::string& path, std::string& bytes) override {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return {SystemCode(errno), false};
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      close(fd);
      return {5, false};  // as Windows refuses to open a folder
    }
    char buf[16384];
    for (;;) {
      ssize_t got = read(fd, buf, sizeof buf);
      if (got < 0) {
        int err = errno;
        close(fd);
        return {SystemCode(err), true};
      }
      if (got == 0) break;
      bytes.append(buf, static_cast<size_t>(got));
    }
    close(fd);
    return {};
  }

  TFileResult WriteAll(const std::string& path, const std::string& bytes) override {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return {SystemCode(errno), false};
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
      if (wrote <= 0) {
        int err = wrote < 0 ? errno : ENOSPC;
        close(fd);
        return {SystemCode(err), true};
      }
      done += static_cast<size_t>(wrote);
    }
    if (close(fd) != 0) return {SystemCode(errno), true};
    return {};
  }
};
}  // namespace

IProjectFileAccess& TestDiskFiles() {
  static TPosixFiles files;
  return files;
}
#endif
