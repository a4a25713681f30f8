#pragma once
// The help file as a project for chmcmd (Free Pascal's CHM compiler): the written topics,
// the catalogue's pages, the contents, the index and the project file, then Morvel.chm.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "packaging/help_pages.h"

namespace morvel::packaging {

inline constexpr const char* kItemsMarker = "@items";

struct HelpTopic {
  std::string file;  // kItemsMarker: where the catalogue's pages go in the contents
  std::string title;
  std::vector<std::string> keywords;  // index words besides the title
  std::string body;                   // HTML after the heading
};

struct HelpProject {
  std::vector<std::pair<std::string, std::string>> files;  // name and bytes
};

// The topic list: one "file|title|keyword;keyword" line per topic in contents order,
// kItemsMarker alone on a line, "#" comments and blank lines. Throws HelpSourceError on a
// line of another shape.
std::vector<HelpTopic> ParseTopicList(std::string_view text);

// Every file of the project: the topics' pages, the catalogue's pages, the style sheet,
// Morvel.hhc (contents), Morvel.hhk (index) and Morvel.hhp, which compiles to Morvel.chm.
HelpProject AssembleHelp(const std::vector<HelpTopic>& topics, const ItemPages& items,
                         std::string_view css);

// The project from the help sources folder (topics.txt, the topic bodies, items.ini,
// morvel.css) and the shipped definition file.
HelpProject ReadHelpSources(const std::filesystem::path& sources,
                            const std::filesystem::path& definitions);

void WriteHelpProject(const HelpProject& project, const std::filesystem::path& dir);

// Runs chmcmd in `dir`, which makes dir/Morvel.chm. Throws std::runtime_error with the
// compiler's words when it fails or warns (a page that is missing, a link that leads
// nowhere).
void CompileHelp(const std::filesystem::path& dir);

}  // namespace morvel::packaging
