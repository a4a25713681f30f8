#pragma once
// One run at a time per machine image: a process that works on an image holds an
// exclusive lock (flock) on IMAGE/.lock for as long as it runs. Without it, two runs on one
// image would each write back the registry they loaded, and the later one would undo the
// earlier one's changes.

#include <chrono>
#include <filesystem>
#include <functional>

#include "platform/emulated/host_files.h"

namespace morvel::platform::emulated {

class ImageLock {
 public:
  // Locks `image`, waiting at most `patience` while another process holds it; `waiting` is
  // called once when the wait begins. Throws MachineImageError "IMAGE: ..." when the wait
  // runs out. An image that is not a folder is not locked (opening it reports that), nor
  // one whose lock file cannot be made (a read-only image, which no run can change).
  static ImageLock Acquire(const std::filesystem::path& image, std::chrono::milliseconds patience,
                           const std::function<void()>& waiting = {});

  ImageLock(ImageLock&&) noexcept = default;
  ImageLock& operator=(ImageLock&&) = delete;
  ~ImageLock() = default;  // closing the file releases the lock

  [[nodiscard]] bool held() const { return file_.valid(); }

 private:
  explicit ImageLock(FileDescriptor file) : file_(std::move(file)) {}
  FileDescriptor file_;
};

}  // namespace morvel::platform::emulated
