// The help's pages about the catalogue come from the item table: they cover every item,
// and words that no longer fit the table stop the build instead of shipping.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/help_topics.h"
#include "engine/catalogue.h"
#include "engine/item_table.h"
#include "packaging/definition_words.h"
#include "packaging/help_pages.h"
#include "packaging/help_project.h"
#include "packaging/html.h"
#include "tests/unit/temp_image.h"

namespace morvel::packaging {
namespace {

const std::filesystem::path kSources = std::filesystem::path(MORVEL_SOURCE_DIR) / "data";

const std::string& ShippedWords() {
  static const std::string words = testing::ReadText(kSources / "help" / "items.ini");
  return words;
}
const std::string& ShippedDefinitions() {
  static const std::string definitions = testing::ReadText(kSources / "Morvel.dat");
  return definitions;
}

ItemPages Build(const std::string& words, const std::string& definitions = ShippedDefinitions()) {
  return BuildItemPages(IniDocument::Parse(words), IniDocument::Parse(definitions));
}

// `text` without its line that starts with `start`.
std::string WithoutLine(std::string text, const std::string& start) {
  const std::size_t at = text.find("\n" + start);
  EXPECT_NE(at, std::string::npos) << start;
  text.erase(at + 1, text.find('\n', at + 1) - at);
  return text;
}

// `text` with `added` after the first `after`.
std::string WithLineAdded(std::string text, const std::string& after, const std::string& added) {
  const std::size_t at = text.find(after);
  EXPECT_NE(at, std::string::npos) << after;
  return text.insert(at + after.size(), added);
}

TEST(ItemPages, EveryItemOfTheTableHasItsWordsAnchorAndKeyOnItsCategorysPage) {
  const ItemPages pages = Build(ShippedWords());
  ASSERT_EQ(pages.categories.size(), ItemTable().size());
  for (std::size_t i = 0; i < ItemTable().size(); ++i) {
    const CategoryRow& category = ItemTable()[i];
    const HelpPage& page = pages.categories[i];
    EXPECT_EQ(page.title, category.text);
    EXPECT_NE(pages.overview.body.find("href=\"" + page.file + "\""), std::string::npos);
    for (const ItemRow& item : category.items) {
      const std::string key = HtmlText(ItemKey(category.text, item.text));
      EXPECT_NE(page.body.find("Item key: " + key), std::string::npos) << key;
      EXPECT_NE(page.body.find("<a name=\"" + Slug(item.text) + "\">"), std::string::npos) << key;
    }
  }
}

TEST(ItemPages, WordsThatNoLongerFitTheTableStopTheBuild) {
  struct Case {
    const char* what;
    std::string words;
    std::string definitions;
    const char* named;  // the message names it
  };
  const std::string words = ShippedWords();
  const Case cases[] = {
      {"an item without words", WithoutLine(words, "Clipboard="), ShippedDefinitions(),
       "Clipboard"},
      {"a category without words", WithoutLine(words, "About=What Internet Explorer"),
       ShippedDefinitions(), "About"},
      {"words for an item the program lacks",
       WithLineAdded(words, "[Windows]\n", "Printer Queue=x\n"), ShippedDefinitions(),
       "Windows - Printer Queue"},
      {"a category described twice", words + "\n[Windows]\nAbout=x\n", ShippedDefinitions(),
       "\"Windows\" twice"},
      {"words for a category the program lacks", words + "\n[Netscape Navigator]\nAbout=x\n",
       ShippedDefinitions(), "Netscape Navigator"},
      {"an item served by a section Morvel.dat lacks", words,
       "[Google Toolbar History]\n[MSN Toolbar History]\n[Yahoo! Toolbar History]\n",
       "Windows Log Files"},
  };
  for (const Case& c : cases) {
    try {
      Build(c.words, c.definitions);
      ADD_FAILURE() << c.what << ": built";
    } catch (const HelpSourceError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

TEST(ItemPages, SectionItemsAndApplicationsListWhatTheirSectionsRemove) {
  const std::string definitions =
      ShippedDefinitions() + "\n[Example Editor]\nDelFile1={Current AppData}\\Example,*.mru\n";
  const ItemPages pages = Build(ShippedWords(), definitions);
  const auto page = [&](std::string_view title) {
    for (const HelpPage& p : pages.categories)
      if (p.title == title) return p.body;
    ADD_FAILURE() << title;
    return std::string();
  };
  // A served item lists its section; an empty section says it removes nothing.
  EXPECT_NE(page("Windows").find("the files *.log in %windir%\\Debug"), std::string::npos);
  const std::string messengers = page("Instant Messengers");
  EXPECT_NE(messengers.find("no entries for it yet"), std::string::npos);
  // Applications: every other section, none of those that serve fixed items.
  const std::string apps = page(kApplicationsRoot);
  EXPECT_NE(apps.find("Example Editor"), std::string::npos);
  EXPECT_NE(apps.find("the files *.mru in {Current AppData}\\Example"), std::string::npos);
  EXPECT_NE(apps.find("Item key: Applications - Example Editor"), std::string::npos);
  EXPECT_EQ(apps.find("Windows Log Files"), std::string::npos);
}

TEST(DefinitionWords, EachEntryFormInWords) {
  const struct {
    const char* line;
    const char* words;  // nullptr: no entry
  } cases[] = {
      {"DelFile1=%windir%\\Temp", "the folder %windir%\\Temp with everything in it"},
      {"DelFile2=%windir%\\Logs,*.log", "the files *.log in %windir%\\Logs"},
      {"DelFile3=C:\\a,b,c.txt", "the files b,c.txt in C:\\a"},
      {"DelRegValue1=HKEY_CURRENT_USER\\Software\\X",
       "the registry key HKEY_CURRENT_USER\\Software\\X with its sub-keys"},
      {"DelRegValue2=HKEY_CURRENT_USER\\Software\\X,",
       "every value and sub-key of the registry key HKEY_CURRENT_USER\\Software\\X"},
      {"DelRegValue3=HKEY_CURRENT_USER\\Software\\X,Last",
       "the value \"Last\" of the registry key HKEY_CURRENT_USER\\Software\\X"},
      {"Comment=DelFile of nothing", "the folder DelFile of nothing with everything in it"},
      {"Name=value", nullptr},
      {"DelFile1 without equals", nullptr},
  };
  for (const auto& c : cases) {
    const auto words = DefinitionEntryWords(c.line);
    if (c.words == nullptr)
      EXPECT_FALSE(words) << c.line;
    else
      EXPECT_EQ(words.value_or("(none)"), c.words) << c.line;
  }
}

TEST(Html, TextIsEscapedAndPlainAscii) {
  EXPECT_EQ(HtmlText("<New List> & \"x\""), "&lt;New List&gt; &amp; &quot;x&quot;");
  EXPECT_EQ(HtmlText("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf&#233; &#8364;");
  EXPECT_EQ(HtmlText("cut \xC3"), "cut &#195;");
  EXPECT_EQ(AsciiHtml("<b>\xC3\xA9</b>"), "<b>&#233;</b>");
  EXPECT_EQ(Slug("Yahoo! Toolbar History"), "yahoo-toolbar-history");
  EXPECT_EQ(Slug("<New List>"), "new-list");
}

TEST(TopicList, ReadsTopicsAndRefusesOtherShapes) {
  const auto topics = ParseTopicList("# contents\nwelcome.htm|Welcome|start;tick\n\n@items\n");
  ASSERT_EQ(topics.size(), 2U);
  EXPECT_EQ(topics[0].file, "welcome.htm");
  EXPECT_EQ(topics[0].keywords, (std::vector<std::string>{"start", "tick"}));
  EXPECT_EQ(topics[1].file, kItemsMarker);
  for (const char* bad :
       {"welcome.htm\n@items\n", "a|b|c|d\n@items\n", "a.htm|A\n", "@items\n@items\n"})
    EXPECT_THROW(ParseTopicList(bad), HelpSourceError) << bad;
}

TEST(HelpProject, IndexListsAWordOfSeveralPagesUnderEachPage) {
  const auto topics = ParseTopicList("a.htm|Cleaning|Cookies\n@items\nb.htm|Keeping|cookies\n");
  const HelpProject project = AssembleHelp(topics, Build(ShippedWords()), "");
  std::string index;
  for (const auto& [name, bytes] : project.files)
    if (name == "Morvel.hhk") index = bytes;
  const std::string both =
      "<param name=\"Name\" value=\"Cookies\">\r\n<param name=\"Name\" value=\"Cleaning\">\r\n"
      "<param name=\"Local\" value=\"a.htm\">\r\n<param name=\"Name\" value=\"Keeping\">\r\n"
      "<param name=\"Local\" value=\"b.htm\">";
  EXPECT_NE(index.find(both), std::string::npos) << index;
  EXPECT_NE(index.find("value=\"Cookies (Internet Explorer)\">\r\n<param name=\"Local\" "
                       "value=\"items-internet-explorer.htm#cookies\">"),
            std::string::npos);
}

TEST(HelpTopics, EveryPageThatF1OpensIsAWrittenTopic) {
  const std::vector<HelpTopic> topics =
      ParseTopicList(testing::ReadText(kSources / "help" / "topics.txt"));
  for (const std::string_view page : app::kHelpTopicsOfWindows) {
    bool listed = false;
    for (const HelpTopic& topic : topics) listed = listed || topic.file == page;
    EXPECT_TRUE(listed) << page;
  }
}

}  // namespace
}  // namespace morvel::packaging
