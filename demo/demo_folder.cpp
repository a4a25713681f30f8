#include "demo/demo_folder.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

// What a demo image holds at its top: the image, its note, and what runs on it leave (the
// lock file and the write journal).
constexpr std::array<std::string_view, 7> kImageTop = {
    "machine.ini", "registry.reg", "drives", "stores", kDemoNoteName, ".lock", ".morvel-writes"};

[[noreturn]] void Refuse(const fs::path& dir, std::string_view why) {
  throw std::runtime_error(dir.string() + ": " + std::string(why) +
                           "; the demo writes only into a new or empty folder or over an earlier "
                           "demo image");
}

bool IsEarlierDemoImage(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(dir / kDemoNoteName, ec))) return false;
  std::ifstream note(dir / kDemoNoteName, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(note)), std::istreambuf_iterator<char>());
  if (text != kDemoNote) return false;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (std::find(kImageTop.begin(), kImageTop.end(), name) == kImageTop.end()) return false;
  }
  return !ec;
}

}  // namespace

fs::path PrepareDemoFolder(const fs::path& given) {
  // "DIR/" names what a link DIR leads to; "DIR" the link itself.
  fs::path dir = given;
  while (!dir.has_filename() && dir.has_relative_path()) dir = dir.parent_path();
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(dir, ec);
  if (fs::is_symlink(status)) Refuse(dir, "a link, which the demo never writes through");
  if (!fs::exists(status)) {
    if (!fs::create_directories(dir, ec) && ec)
      throw std::runtime_error(dir.string() + ": cannot make the folder (" + ec.message() + ")");
    return dir;
  }
  if (!fs::is_directory(status)) Refuse(dir, "not a folder");
  if (fs::is_empty(dir, ec) && !ec) return dir;
  if (!IsEarlierDemoImage(dir)) Refuse(dir, "the folder holds other things");
  // Cleared whole rather than written over: whatever a run put in it since (a link among
  // the drives' folders) is gone before the first file is written. Links go as links.
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(it->path());
  for (const fs::path& entry : entries)
    if (!ec) fs::remove_all(entry, ec);
  if (ec)
    throw std::runtime_error(dir.string() + ": cannot clear the earlier demo image (" +
                             ec.message() + ")");
  return dir;
}

}  // namespace morvel::cli
