#include "engine/registry_hives.h"

namespace morvel {

namespace {

std::string_view Trimmed(std::string_view path) {
  while (path.starts_with('\\')) path.remove_prefix(1);
  while (path.ends_with('\\')) path.remove_suffix(1);
  return path;
}

}  // namespace

std::string_view PathInHive(platform::RootKey root, std::string_view path) {
  path = Trimmed(path);
  if (root != platform::RootKey::Users) return path;
  const std::size_t slash = path.find('\\');
  return slash == std::string_view::npos ? std::string_view{} : Trimmed(path.substr(slash));
}

bool NamesHive(platform::RootKey root, std::string_view path) {
  return PathInHive(root, path).empty();
}

bool IsRightBelowHive(platform::RootKey root, std::string_view path) {
  const std::string_view in_hive = PathInHive(root, path);
  return !in_hive.empty() && in_hive.find('\\') == std::string_view::npos;
}

}  // namespace morvel
