#pragma once
// A machine image in a fresh temporary folder, removed again at the end of the test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace morvel::platform::emulated::testing {

class TempImage {
 public:
  TempImage() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvel-image-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    root_ = pattern;
  }
  TempImage(const TempImage&) = delete;
  TempImage& operator=(const TempImage&) = delete;
  ~TempImage() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  [[nodiscard]] const std::filesystem::path& root() const { return root_; }

  // Writes a file below the image, creating its folders.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const {
    const std::filesystem::path file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  std::filesystem::path MakeFolder(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(root_ / relative);
    return root_ / relative;
  }

  [[nodiscard]] std::string Read(const std::filesystem::path& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Names in a host folder, sorted, for checks on what a write left behind.
  [[nodiscard]] std::vector<std::string> List(const std::filesystem::path& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_ / relative))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace morvel::platform::emulated::testing
