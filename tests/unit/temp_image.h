#pragma once
// A machine image folder of the tests' own: made fresh under the host's temporary folder,
// removed with everything in it when the object goes.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace morvel::testing {

class TempImage {
 public:
  // `purpose` names the folder (morvel-<purpose>-XXXXXX), to tell leftovers apart.
  explicit TempImage(std::string_view purpose) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("morvel-" + std::string(purpose) + "-XXXXXX"))
            .string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
  }
  ~TempImage() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempImage(const TempImage&) = delete;
  TempImage& operator=(const TempImage&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes `text` as the whole file, byte for byte.
inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The whole file's bytes; empty when it cannot be read.
inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace morvel::testing
