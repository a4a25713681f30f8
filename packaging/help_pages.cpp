#include "packaging/help_pages.h"

#include <set>

#include "common/text.h"
#include "engine/catalogue.h"
#include "engine/item_table.h"
#include "packaging/definition_words.h"
#include "packaging/html.h"

namespace morvel::packaging {

namespace {

constexpr const char* kAbout = "About";
constexpr const char* kOverviewFile = "items.htm";
constexpr const char* kOverviewTitle = "What each item removes";

std::string CategoryFile(std::string_view category) { return "items-" + Slug(category) + ".htm"; }

std::string Words(const IniDocument& words, std::string_view section, std::string_view key) {
  auto text = words.Read(section, key);
  if (!text || text->empty())
    throw HelpSourceError("the help has no words for \"" + std::string(key) + "\" of \"" +
                          std::string(section) + "\"");
  return *text;
}

bool HasSection(const IniDocument& ini, std::string_view name) {
  for (const std::string& section : ini.SectionNames())
    if (SameText(section, name)) return true;
  return false;
}

// What a definition-file section removes, as a list; a section without entries says so.
std::string DefinitionList(const IniDocument& definitions, std::string_view section) {
  std::string html;
  for (const std::string& line : definitions.SectionLines(section))
    if (auto words = DefinitionEntryWords(line)) html += "<li>" + HtmlText(*words) + "</li>\r\n";
  if (html.empty())
    return "<p class=\"entries\">Morvel.dat has no entries for it yet, so it removes "
           "nothing.</p>\r\n";
  return "<ul class=\"entries\">\r\n" + html + "</ul>\r\n";
}

// One item of a category page: its name (with an anchor), its words, its key.
std::string ItemEntry(std::string_view category, std::string_view item, std::string_view words,
                      std::string_view more_html) {
  std::string html = "<dt><a name=\"" + Slug(item) + "\"></a>" + HtmlText(item) + "</dt>\r\n<dd>";
  if (!words.empty()) html += "<p>" + HtmlText(words) + "</p>\r\n";
  html += more_html;
  html += "<p class=\"key\">Item key: " + HtmlText(ItemKey(category, item)) + "</p></dd>\r\n";
  return html;
}

// The sections of the definition file that no fixed item uses: the programs that the
// Applications category can list.
std::vector<std::string> ApplicationSections(const IniDocument& definitions) {
  std::set<std::string> used;
  for (const CategoryRow& category : ItemTable())
    for (const ItemRow& item : category.items)
      if (item.service == Service::Definitions) used.insert(UpperCase(item.text));
  std::vector<std::string> sections;
  for (const std::string& name : definitions.SectionNames())
    if (!used.count(UpperCase(name))) sections.push_back(name);
  return sections;
}

HelpPage CategoryPage(const CategoryRow& category, const IniDocument& words,
                      const IniDocument& definitions) {
  HelpPage page{CategoryFile(category.text), std::string(category.text), {}, {}};
  page.keywords.emplace_back(page.title, "");
  page.body = "<p>" + HtmlText(Words(words, category.text, kAbout)) + "</p>\r\n<dl>\r\n";
  for (const ItemRow& item : category.items) {
    std::string more;
    if (item.service == Service::Definitions) {
      if (!HasSection(definitions, item.text))
        throw HelpSourceError("Morvel.dat has no section \"" + std::string(item.text) + "\"");
      more = "<p>What Morvel.dat lists for it:</p>\r\n" + DefinitionList(definitions, item.text);
    }
    page.body += ItemEntry(category.text, item.text, Words(words, category.text, item.text), more);
    page.keywords.emplace_back(std::string(item.text) + " (" + page.title + ")", Slug(item.text));
  }
  if (SameText(category.text, kApplicationsRoot)) {
    for (const std::string& section : ApplicationSections(definitions)) {
      page.body += ItemEntry(category.text, section, "", DefinitionList(definitions, section));
      page.keywords.emplace_back(section + " (" + page.title + ")", Slug(section));
    }
  }
  page.body += "</dl>\r\n";
  return page;
}

// Every key of the words names a category and an item of the table, or is a category's
// "About": words for something the program does not have are a mistake too.
void CheckNoStrayWords(const IniDocument& words) {
  std::set<std::string> seen;
  for (const std::string& section : words.SectionNames()) {
    // Only the first of two sections of one name is read: the second would be lost.
    if (!seen.insert(UpperCase(section)).second)
      throw HelpSourceError("the help describes \"" + section + "\" twice");
    const CategoryRow* category = nullptr;
    for (const CategoryRow& row : ItemTable())
      if (SameText(row.text, section)) category = &row;
    if (category == nullptr)
      throw HelpSourceError("the help describes a category the program does not have: \"" +
                            section + "\"");
    for (const auto& [key, value] : words.SectionEntries(section)) {
      bool known = SameText(key, kAbout);
      for (const ItemRow& item : category->items) known = known || SameText(key, item.text);
      if (!known)
        throw HelpSourceError("the help describes an item the program does not have: \"" + section +
                              " - " + key + "\"");
    }
  }
}

HelpPage Overview(const std::vector<HelpPage>& categories) {
  HelpPage page{kOverviewFile, kOverviewTitle, {}, {}};
  page.keywords.emplace_back("items", "");
  page.keywords.emplace_back("categories", "");
  page.body =
      "<p>The catalogue on the left of the main window, category by category. A click on a "
      "category opens its page, a click on an item goes to what it removes.</p>\r\n<ul>\r\n";
  for (std::size_t i = 0; i < categories.size(); ++i) {
    const HelpPage& category = categories[i];
    page.body += "<li><a href=\"" + category.file + "\">" + HtmlText(category.title) + "</a>";
    std::string items;
    for (const ItemRow& item : ItemTable()[i].items) {
      if (!items.empty()) items += ", ";
      items += "<a href=\"" + category.file + "#" + Slug(item.text) + "\">" + HtmlText(item.text) +
               "</a>";
    }
    if (!items.empty()) page.body += ": " + items;
    page.body += "</li>\r\n";
  }
  page.body += "</ul>\r\n";
  return page;
}

}  // namespace

ItemPages BuildItemPages(const IniDocument& words, const IniDocument& definitions) {
  CheckNoStrayWords(words);
  ItemPages pages;
  for (const CategoryRow& category : ItemTable())
    pages.categories.push_back(CategoryPage(category, words, definitions));
  pages.overview = Overview(pages.categories);
  return pages;
}

}  // namespace morvel::packaging
