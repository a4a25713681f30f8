#pragma once
// A cleaning definition file's entry line in words, for the help file's pages, so that
// what the help says an Applications item removes is what Morvel.dat makes it remove.

#include <optional>
#include <string>
#include <string_view>

namespace morvel::packaging {

// `line` is one entry line of a section ("DelFile1=%windir%\Debug,*.log"). nullopt for a
// line that is no entry. Macros stay as written; the help explains them.
std::optional<std::string> DefinitionEntryWords(std::string_view line);

}  // namespace morvel::packaging
