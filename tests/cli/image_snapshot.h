#pragma once
// Every file of a machine image with its bytes, to show that a run changed nothing (or
// exactly what it should).

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace morvel::testing {

inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[std::filesystem::relative(e.path(), dir).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

}  // namespace morvel::testing
