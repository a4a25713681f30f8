#pragma once
// A fresh temporary folder for database files, removed at the end of the test, and the
// UTF-8 text of its paths (what the SQLite layer takes on both targets).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "stores/sqlite_database.h"

namespace morvel::stores::testing {

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

inline std::filesystem::path FromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

class SQLiteTempFolder {
 public:
  SQLiteTempFolder() {
    std::mt19937_64 random(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
      auto candidate = std::filesystem::temp_directory_path() /
                       ("morvel-sqlite-" + std::to_string(random() % 1000000000));
      if (std::filesystem::create_directory(candidate)) root_ = candidate;
    }
    if (root_.empty()) ADD_FAILURE() << "no temporary folder";
  }
  SQLiteTempFolder(const SQLiteTempFolder&) = delete;
  SQLiteTempFolder& operator=(const SQLiteTempFolder&) = delete;
  ~SQLiteTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The UTF-8 path of `name` inside the folder.
  [[nodiscard]] std::string Path(std::string_view name) const {
    return Utf8(root_ / FromUtf8(name));
  }
  [[nodiscard]] const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

// A database file in `folder` made by running each statement.
inline std::string MakeDatabase(const SQLiteTempFolder& folder, std::string_view name,
                                std::initializer_list<const char*> statements) {
  const std::string path = folder.Path(name);
  TSQLiteDatabase db(path);
  for (const char* sql : statements) db.RunStatement(sql);
  return path;
}

// The message of the ESQLiteException that `action` raises, or "(nothing raised)".
template <typename Action>
std::string RaisedMessage(Action&& action) {
  try {
    action();
  } catch (const ESQLiteException& e) {
    return e.what();
  }
  return "(nothing raised)";
}

}  // namespace morvel::stores::testing
