// The help file itself: the shipped sources compile with chmcmd into a CHM that a CHM
// reader (chmlib's extract_chmLib) opens, whose contents and pages name every category
// and item of the catalogue.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/item_table.h"
#include "packaging/help_project.h"
#include "packaging/html.h"
#include "tests/unit/temp_image.h"

namespace morvel::packaging {
namespace {

namespace fs = std::filesystem;
const fs::path kSource = MORVEL_SOURCE_DIR;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(HelpFile, CompilesToAChmWhosePagesNameEveryCategoryAndItem) {
  const testing::TempImage dir("help");
  const fs::path project = dir.path() / "project";
  WriteHelpProject(ReadHelpSources(kSource / "data" / "help", kSource / "data" / "Morvel.dat"),
                   project);
  ASSERT_NO_THROW(CompileHelp(project));
  const fs::path chm = project / "Morvel.chm";
  EXPECT_EQ(testing::ReadText(chm).substr(0, 4), "ITSF");

  // What a reader finds in the file, not what was written beside it.
  const fs::path out = dir.path() / "extracted";
  const std::string extract =
      "extract_chmLib '" + chm.string() + "' '" + out.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(extract.c_str()), 0) << extract;
  const std::string contents = testing::ReadText(out / "Morvel.hhc");
  ASSERT_FALSE(contents.empty());
  for (const CategoryRow& category : ItemTable()) {
    const std::string file = "items-" + Slug(category.text) + ".htm";
    EXPECT_TRUE(Contains(contents, "value=\"" + HtmlText(category.text) +
                                       "\">\r\n"
                                       "<param name=\"Local\" value=\"" +
                                       file + "\">"))
        << category.text;
    const std::string page = testing::ReadText(out / file);
    EXPECT_TRUE(Contains(page, "<h1>" + HtmlText(category.text) + "</h1>")) << file;
    for (const ItemRow& item : category.items)
      EXPECT_TRUE(Contains(page, "</a>" + HtmlText(item.text) + "</dt>")) << file << item.text;
  }
  // The written topics are in it too, and the page that opens first.
  for (const char* topic : {"welcome.htm", "command-line.htm", "boss-key.htm", "files.htm"})
    EXPECT_TRUE(fs::exists(out / topic)) << topic;
}

TEST(HelpFile, ALinkToAMissingPageStopsTheBuild) {
  const testing::TempImage dir("help-broken");
  std::vector<HelpTopic> topics = ParseTopicList("a.htm|A\n@items\n");
  topics[0].body = "<p>See <a href=\"nowhere.htm\">nowhere</a>.</p>";
  const auto items =
      BuildItemPages(IniDocument::Parse(testing::ReadText(kSource / "data" / "help" / "items.ini")),
                     IniDocument::Parse(testing::ReadText(kSource / "data" / "Morvel.dat")));
  WriteHelpProject(AssembleHelp(topics, items, ""), dir.path());
  try {
    CompileHelp(dir.path());
    ADD_FAILURE() << "compiled";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(Contains(e.what(), "nowhere.htm")) << e.what();
  }
}

}  // namespace
}  // namespace morvel::packaging
