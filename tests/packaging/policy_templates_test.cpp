// The Group Policy templates shipped for administrators: XML that xmllint accepts, naming
// exactly the values the program reads where it reads them, each word and control the
// template refers to present in its English resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/options_dialog.h"
#include "app/policy.h"

namespace morvel::packaging {
namespace {

const std::string kFolder = std::string(MORVEL_SOURCE_DIR) + "/packaging/policies/";
const std::string kAdmx = kFolder + "Morvel.admx";
const std::string kAdml = kFolder + "en-US/Morvel.adml";

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The values of `attribute="..."` in `text`, and of the one capture of `pattern`.
std::set<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::set<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it)
    found.insert((*it)[1]);
  return found;
}
std::set<std::string> Attribute(const std::string& text, const std::string& name) {
  return Matches(text, "\\b" + name + "=\"([^\"]*)\"");
}

TEST(PolicyTemplates, AreXmlThatXmllintAccepts) {
  ASSERT_EQ(std::system("xmllint --version >/dev/null 2>&1"), 0)
      << "xmllint is missing: bash scripts/setup.sh check installs it";
  EXPECT_EQ(std::system(("xmllint --noout '" + kAdmx + "' '" + kAdml + "'").c_str()), 0);
}

TEST(PolicyTemplates, NameExactlyTheValuesTheProgramReads) {
  const std::string admx = Read(kAdmx);
  ASSERT_FALSE(admx.empty());
  std::set<std::string> read(app::kPolicySettingNames.begin(), app::kPolicySettingNames.end());
  read.insert(std::string(app::kReportPathValue));
  EXPECT_EQ(Attribute(admx, "valueName"), read);

  const std::string key(app::kPolicyKey);
  EXPECT_EQ(Attribute(admx, "key"),
            (std::set<std::string>{key, key + "\\" + std::string(app::kTickedItemsKey),
                                   key + "\\" + std::string(app::kBlockedItemsKey)}));
  // Both hives: the machine's and the user's.
  EXPECT_EQ(Attribute(admx, "class"), std::set<std::string>{"Both"});
  // The lists write values named 1, 2, ... whose data are the item keys.
  EXPECT_EQ(Attribute(admx, "valuePrefix"), std::set<std::string>{""});

  // The schedule's choices are the Settings dialog's, by their index.
  std::set<std::string> intervals;
  for (std::size_t i = 0; i < app::kWashIntervals.size(); ++i) intervals.insert(std::to_string(i));
  const std::string schedule = admx.substr(admx.find("<enum id=\"WashInterval\""));
  EXPECT_EQ(Matches(schedule.substr(0, schedule.find("</enum>")), "<decimal value=\"(\\d+)\""),
            intervals);
  EXPECT_NE(admx.find("minValue=\"1\" maxValue=\"10\""), std::string::npos);
}

TEST(PolicyTemplates, EveryWordAndControlTheTemplateNamesIsInItsResources) {
  const std::string admx = Read(kAdmx), adml = Read(kAdml);
  ASSERT_FALSE(adml.empty());
  const std::set<std::string> strings = Matches(adml, "<string id=\"([^\"]+)\"");
  for (const std::string& used : Matches(admx, "\\$\\(string\\.([^)]+)\\)"))
    EXPECT_TRUE(strings.contains(used)) << used;
  const std::set<std::string> presentations = Matches(adml, "<presentation id=\"([^\"]+)\"");
  EXPECT_EQ(Matches(admx, "\\$\\(presentation\\.([^)]+)\\)"), presentations);
  // Each control of a presentation is an element of the template, and each element has one.
  const std::set<std::string> elements =
      Matches(admx, "<(?:list|enum|decimal|text) id=\"([^\"]+)\"");
  EXPECT_EQ(Attribute(adml, "refId"), elements);
}

}  // namespace
}  // namespace morvel::packaging
