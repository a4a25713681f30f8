#pragma once
// A FileReader over bytes held in memory: for tests, fuzz targets and anything that has a
// file's content already. Reads behave as on a real file: short at the end, 0 past it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace morvel {

class MemoryFileReader final : public platform::FileReader {
 public:
  explicit MemoryFileReader(std::string bytes) : bytes_(std::move(bytes)) {}
  MemoryFileReader(const void* data, std::size_t size)
      : bytes_(static_cast<const char*>(data), size) {}

  [[nodiscard]] std::uint64_t Size() const override { return bytes_.size(); }

  [[nodiscard]] platform::Result<std::size_t> ReadAt(std::uint64_t offset,
                                                     std::span<std::byte> buffer) const override {
    ++reads_;
    if (offset >= bytes_.size()) return platform::Result<std::size_t>::Of(0);
    const std::size_t n =
        std::min<std::uint64_t>(buffer.size(), bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(buffer.data(), bytes_.data() + offset, n);
    return platform::Result<std::size_t>::Of(n);
  }

  // How many ReadAt calls were made: lets a test see that reads are cached.
  [[nodiscard]] std::size_t read_calls() const { return reads_; }

 private:
  std::string bytes_;
  mutable std::size_t reads_ = 0;
};

}  // namespace morvel

namespace morvel {

// A FileWriter over bytes held in memory, for the same uses: writes land in `bytes`, which
// grows when they reach past its end. `max_writes` makes every write after that many fail.
class MemoryFileWriter final : public platform::FileWriter {
 public:
  explicit MemoryFileWriter(std::string& bytes) : bytes_(bytes) {}

  [[nodiscard]] platform::Result<std::uint64_t> Size() const override {
    return platform::Result<std::uint64_t>::Of(bytes_.size());
  }
  platform::Status WriteAt(std::uint64_t offset, std::span<const std::byte> data) override {
    if (writes_ == max_writes) return platform::Status::Error(platform::ErrorKind::Other);
    ++writes_;
    const auto at = static_cast<std::size_t>(offset);
    if (bytes_.size() < at + data.size()) bytes_.resize(at + data.size(), '\0');
    std::memcpy(bytes_.data() + at, data.data(), data.size());
    return platform::Status::Ok();
  }
  platform::Status Flush() override { return platform::Status::Ok(); }
  // Bytes in memory have no other names.
  [[nodiscard]] platform::Result<std::uint32_t> LinkCount() const override {
    return platform::Result<std::uint32_t>::Of(1);
  }

  std::size_t max_writes = SIZE_MAX;

 private:
  std::string& bytes_;
  std::size_t writes_ = 0;
};

}  // namespace morvel
