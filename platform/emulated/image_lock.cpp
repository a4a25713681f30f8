#include "platform/emulated/image_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/emulated/machine.h"

namespace morvel::platform::emulated {

ImageLock ImageLock::Acquire(const std::filesystem::path& image, std::chrono::milliseconds patience,
                             const std::function<void()>& waiting) {
  std::error_code error;
  if (!std::filesystem::is_directory(image, error)) return ImageLock(FileDescriptor(-1));
  const std::filesystem::path file = image / ".lock";
  FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (!fd.valid()) {
    if (errno == EACCES || errno == EROFS || errno == EPERM) return ImageLock(FileDescriptor(-1));
    throw MachineImageError(file.string() +
                            ": cannot be opened: " + std::generic_category().message(errno));
  }
  const auto give_up = std::chrono::steady_clock::now() + patience;
  bool told = false;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK)
      throw MachineImageError(file.string() +
                              ": cannot be locked: " + std::generic_category().message(errno));
    if (std::chrono::steady_clock::now() >= give_up)
      throw MachineImageError(image.string() +
                              ": the machine image is in use by another run; try again when "
                              "it has ended");
    if (!told && waiting) waiting();
    told = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return ImageLock(std::move(fd));
}

}  // namespace morvel::platform::emulated
