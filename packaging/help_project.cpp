#include "packaging/help_project.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "common/text.h"
#include "packaging/html.h"

namespace morvel::packaging {

namespace {

constexpr const char* kProject = "Morvel.hhp";
constexpr const char* kContents = "Morvel.hhc";
constexpr const char* kIndex = "Morvel.hhk";
constexpr const char* kStyle = "morvel.css";
constexpr const char* kSitemapHeader =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<html>\r\n<head>\r\n"
    "<meta name=\"GENERATOR\" content=\"morvel-shipdata\">\r\n</head>\r\n<body>\r\n";

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitOn(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(Trimmed(text.substr(start, at - start)));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// One entry of a contents or index file: a name and the page it opens.
std::string SitemapObject(std::string_view name, std::string_view local) {
  return "<li><object type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"" + HtmlText(name) +
         "\">\r\n<param name=\"Local\" value=\"" + std::string(local) + "\">\r\n</object>\r\n";
}

std::string Contents(const std::vector<HelpTopic>& topics, const ItemPages& items) {
  std::string hhc = kSitemapHeader;
  hhc +=
      "<object type=\"text/site properties\">\r\n<param name=\"ImageType\" "
      "value=\"Folder\">\r\n</object>\r\n<ul>\r\n";
  for (const HelpTopic& topic : topics) {
    if (topic.file != kItemsMarker) {
      hhc += SitemapObject(topic.title, topic.file);
      continue;
    }
    hhc += SitemapObject(items.overview.title, items.overview.file) + "<ul>\r\n";
    for (const HelpPage& page : items.categories) hhc += SitemapObject(page.title, page.file);
    hhc += "</ul>\r\n";
  }
  return hhc + "</ul>\r\n</body>\r\n</html>\r\n";
}

// The index: every word once, in alphabetical order; a word of several pages lists them
// all, each under its page's title, and the viewer lets the reader choose.
std::string Index(const std::vector<HelpTopic>& topics, const ItemPages& items) {
  struct Target {
    std::string title, local;
  };
  std::map<std::string, std::pair<std::string, std::vector<Target>>> words;  // by upper case
  const auto add = [&](const std::string& word, const std::string& title, std::string local) {
    auto& entry = words[UpperCase(word)];
    if (entry.first.empty()) entry.first = word;
    entry.second.push_back({title, std::move(local)});
  };
  for (const HelpTopic& topic : topics) {
    if (topic.file == kItemsMarker) continue;
    add(topic.title, topic.title, topic.file);
    for (const std::string& word : topic.keywords) add(word, topic.title, topic.file);
  }
  std::vector<const HelpPage*> pages{&items.overview};
  for (const HelpPage& page : items.categories) pages.push_back(&page);
  for (const HelpPage* page : pages)
    for (const auto& [word, anchor] : page->keywords)
      add(word, page->title, anchor.empty() ? page->file : page->file + "#" + anchor);

  std::string hhk = std::string(kSitemapHeader) + "<ul>\r\n";
  for (const auto& [upper, entry] : words) {
    const auto& [word, targets] = entry;
    if (targets.size() == 1) {
      hhk += SitemapObject(word, targets.front().local);
      continue;
    }
    hhk += "<li><object type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"" + HtmlText(word) +
           "\">\r\n";
    for (const Target& target : targets)
      hhk += "<param name=\"Name\" value=\"" + HtmlText(target.title) +
             "\">\r\n<param name=\"Local\" value=\"" + target.local + "\">\r\n";
    hhk += "</object>\r\n";
  }
  return hhk + "</ul>\r\n</body>\r\n</html>\r\n";
}

std::string ProjectFile(const std::vector<std::string>& pages, std::string_view first) {
  std::string hhp =
      "[OPTIONS]\r\nCompatibility=1.1 or later\r\nCompiled file=Morvel.chm\r\n"
      "Contents file=Morvel.hhc\r\nIndex file=Morvel.hhk\r\nDefault Window=main\r\n"
      "Default topic=" +
      std::string(first) +
      "\r\nDisplay compile progress=No\r\nFull-text search=Yes\r\n"
      "Language=0x409 English (United States)\r\nTitle=Morvel Help\r\n\r\n"
      "[WINDOWS]\r\nmain=\"Morvel Help\",\"Morvel.hhc\",\"Morvel.hhk\",\"" +
      std::string(first) + "\",\"" + std::string(first) +
      "\",,,,,0x23520,,0x387e,,,,,,,,0\r\n\r\n[FILES]\r\n";
  for (const std::string& page : pages) hhp += page + "\r\n";
  return hhp + kStyle + "\r\n";
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HelpSourceError("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A shell word for `text`: in single quotes, each quote spelled '\''.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::vector<HelpTopic> ParseTopicList(std::string_view text) {
  std::vector<HelpTopic> topics;
  std::size_t number = 0;
  for (const std::string& raw : SplitOn(text, '\n')) {
    ++number;
    if (raw.empty() || raw[0] == '#') continue;
    if (raw == kItemsMarker) {
      topics.push_back({kItemsMarker, {}, {}, {}});
      continue;
    }
    const std::vector<std::string> fields = SplitOn(raw, '|');
    if (fields.size() < 2 || fields.size() > 3 || fields[0].empty() || fields[1].empty())
      throw HelpSourceError("topics.txt:" + std::to_string(number) +
                            ": expected file|title|keywords");
    HelpTopic topic{fields[0], fields[1], {}, {}};
    if (fields.size() == 3)
      for (std::string& word : SplitOn(fields[2], ';'))
        if (!word.empty()) topic.keywords.push_back(std::move(word));
    topics.push_back(std::move(topic));
  }
  if (std::count_if(topics.begin(), topics.end(),
                    [](const HelpTopic& t) { return t.file == kItemsMarker; }) != 1)
    throw HelpSourceError("topics.txt must name the place of the item pages once (@items)");
  return topics;
}

HelpProject AssembleHelp(const std::vector<HelpTopic>& topics, const ItemPages& items,
                         std::string_view css) {
  HelpProject project;
  std::vector<std::string> pages;
  const auto add_page = [&](const std::string& file, const std::string& title,
                            const std::string& body) {
    project.files.emplace_back(file, HtmlPage(title, body));
    pages.push_back(file);
  };
  for (const HelpTopic& topic : topics) {
    if (topic.file != kItemsMarker) {
      add_page(topic.file, topic.title, topic.body);
      continue;
    }
    add_page(items.overview.file, items.overview.title, items.overview.body);
    for (const HelpPage& page : items.categories) add_page(page.file, page.title, page.body);
  }
  project.files.emplace_back(kStyle, std::string(css));
  project.files.emplace_back(kContents, Contents(topics, items));
  project.files.emplace_back(kIndex, Index(topics, items));
  project.files.emplace_back(kProject, ProjectFile(pages, pages.front()));
  return project;
}

HelpProject ReadHelpSources(const std::filesystem::path& sources,
                            const std::filesystem::path& definitions) {
  std::vector<HelpTopic> topics = ParseTopicList(ReadText(sources / "topics.txt"));
  for (HelpTopic& topic : topics)
    if (topic.file != kItemsMarker) topic.body = ReadText(sources / topic.file);
  const ItemPages items = BuildItemPages(IniDocument::Parse(ReadText(sources / "items.ini")),
                                         IniDocument::Parse(ReadText(definitions)));
  return AssembleHelp(topics, items, ReadText(sources / kStyle));
}

void WriteHelpProject(const HelpProject& project, const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  for (const auto& [name, bytes] : project.files) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + (dir / name).string());
  }
}

void CompileHelp(const std::filesystem::path& dir) {
  std::filesystem::remove(dir / "Morvel.chm");
  const std::string command =
      "cd " + ShellQuoted(dir.string()) + " && chmcmd " + kProject + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot run chmcmd");
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  const int status = pclose(pipe.release());
  // chmcmd reports a missing page or a broken link as a warning and still succeeds.
  const bool warned =
      output.find("Warning") != std::string::npos || output.find("Error") != std::string::npos;
  if (status != 0 || warned || !std::filesystem::exists(dir / "Morvel.chm"))
    throw std::runtime_error("chmcmd failed in " + dir.string() + ":\n" + output);
}

}  // namespace morvel::packaging
