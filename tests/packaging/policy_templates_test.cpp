// The Group Policy templates shipped for administrators: XML that xmllint accepts, naming
// exactly the values the program reads where it reads them, each word and control the
// template refers to present in its English resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
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

// Every text that stands between `open` and the next `close` in `text`.
std::set<std::string> Between(const std::string& text, const std::string& open,
                              const std::string& close) {
  std::set<std::string> found;
  for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
    at += open.size();
    const std::size_t end = text.find(close, at);
    if (end == std::string::npos) break;
    found.insert(text.substr(at, end - at));
  }
  return found;
}
// The values of an attribute, wherever it stands.
std::set<std::string> Attribute(const std::string& text, const std::string& name) {
  return Between(text, " " + name + "=\"", "\"");
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
  EXPECT_EQ(Between(schedule.substr(0, schedule.find("</enum>")), "<decimal value=\"", "\""),
            intervals);
  EXPECT_NE(admx.find("minValue=\"1\" maxValue=\"10\""), std::string::npos);
}

TEST(PolicyTemplates, EveryWordAndControlTheTemplateNamesIsInItsResources) {
  const std::string admx = Read(kAdmx), adml = Read(kAdml);
  ASSERT_FALSE(adml.empty());
  const std::set<std::string> strings = Between(adml, "<string id=\"", "\"");
  for (const std::string& used : Between(admx, "$(string.", ")"))
    EXPECT_TRUE(strings.contains(used)) << used;
  EXPECT_EQ(Between(admx, "$(presentation.", ")"), Between(adml, "<presentation id=\"", "\""));
  // Each control of a presentation is an element of the template, and each element has one.
  std::set<std::string> elements;
  for (const char* kind : {"<list id=\"", "<enum id=\"", "<decimal id=\"", "<text id=\""})
    elements.merge(Between(admx, kind, "\""));
  EXPECT_EQ(Attribute(adml, "refId"), elements);
}

}  // namespace
}  // namespace morvel::packaging
