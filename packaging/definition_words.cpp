#include "packaging/definition_words.h"

namespace morvel::packaging {

namespace {

// Read as the run reads an entry: the kind from the keyword found anywhere in the line,
// the value after the first "=" split at its first ",".
struct Split {
  std::string_view head;
  std::optional<std::string_view> tail;  // nullopt without ","
};

Split SplitAtComma(std::string_view value) {
  const std::size_t comma = value.find(',');
  if (comma == std::string_view::npos) return {value, std::nullopt};
  return {value.substr(0, comma), value.substr(comma + 1)};
}

}  // namespace

std::optional<std::string> DefinitionEntryWords(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const auto [head, tail] = SplitAtComma(line.substr(equals + 1));
  const std::string place(head);
  if (line.find("DelRegValue") != std::string_view::npos) {
    if (!tail) return "the registry key " + place + " with its sub-keys";
    if (tail->empty()) return "every value and sub-key of the registry key " + place;
    return "the value \"" + std::string(*tail) + "\" of the registry key " + place;
  }
  if (line.find("DelFile") != std::string_view::npos) {
    if (!tail) return "the folder " + place + " with everything in it";
    return "the files " + std::string(*tail) + " in " + place;
  }
  return std::nullopt;
}

}  // namespace morvel::packaging
