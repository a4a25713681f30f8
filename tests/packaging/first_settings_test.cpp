// The settings.ini shipped for a first start: read by the program's own settings store it
// ticks exactly its items (and so their categories) and leaves every other setting at the
// program's default; the shipped selection keeps off what a user must choose knowingly.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "app/settings_store.h"
#include "engine/catalogue.h"
#include "packaging/first_settings.h"

namespace morvel::packaging {
namespace {

std::vector<std::string> ShippedKeys() {
  std::ifstream in(std::string(MORVEL_SOURCE_DIR) + "/packaging/first-start.txt");
  std::vector<std::string> keys;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') keys.push_back(line);
  return keys;
}

struct Loaded {
  TOptionsSetting options;
  Catalogue catalogue = Catalogue::Fixed();
};

Loaded Load(const std::string& bytes) {
  Loaded loaded;
  LoadSettings(IniDocument::Parse(bytes), loaded.options, loaded.catalogue, WindowDefaults{});
  return loaded;
}

TEST(FirstStartSettings, TicksItsItemsAndTheirCategoriesAndNothingElse) {
  const std::vector<std::string> keys = {"Windows - Temporary Files", "Opera - Cookies",
                                         "Windows - Recent Documents", "Opera - Cookies"};
  const Loaded loaded = Load(FirstStartSettings(keys));
  EXPECT_EQ(loaded.catalogue.CollectTickedKeys(),
            (std::vector<std::string>{"Windows - Recent Documents", "Windows - Temporary Files",
                                      "Opera - Cookies"}));
  for (const CatalogueRoot& root : loaded.catalogue.roots()) {
    const bool ticked = root.text == "Windows" || root.text == "Opera";
    EXPECT_EQ(root.state_index, ticked ? kTicked : kUnticked) << root.text;
  }
}

TEST(FirstStartSettings, EverythingButTheTicksIsTheProgramsDefault) {
  const Loaded loaded = Load(FirstStartSettings(ShippedKeys()));
  Loaded defaults = Load("");
  const TOptionsSetting& o = loaded.options;
  const TOptionsSetting& d = defaults.options;
  EXPECT_EQ(o.AskForSweep, d.AskForSweep);
  EXPECT_EQ(o.FastScan, d.FastScan);
  EXPECT_EQ(o.OverwriteFile, d.OverwriteFile);
  EXPECT_EQ(o.EnableHotkey, d.EnableHotkey);
  EXPECT_EQ(o.AutoWash, d.AutoWash);
  EXPECT_EQ(o.StartWash, d.StartWash);
  EXPECT_EQ(o.ShutdownWash, d.ShutdownWash);
  EXPECT_EQ(o.FirstNodeExpand, d.FirstNodeExpand);
  EXPECT_EQ(o.Left, d.Left);  // centred, as without a file
  EXPECT_EQ(o.Top, d.Top);
  EXPECT_EQ(o.Width, d.Width);
  EXPECT_EQ(o.Height, d.Height);
  EXPECT_EQ(loaded.catalogue.CollectTickedKeys(), ShippedKeys());
}

TEST(FirstStartSettings, AKeyThatIsNoItemIsRefused) {
  for (const char* key : {"Windows - Printer Queue", "Windows", "windows - temporary files", ""})
    EXPECT_THROW(FirstStartSettings({key}), std::invalid_argument) << key;
}

// Passwords, cookies, a browser's settings and the recycle bin are the user's own choice.
TEST(FirstStartSettings, TheShippedSelectionKeepsOffWhatTheUserMustChoose) {
  const std::set<std::string> never = {"Internet Explorer - Cookies",
                                       "Internet Explorer - Autocomplete History",
                                       "Internet Explorer - Index.dat Files",
                                       "Windows - Empty Recycle Bin",
                                       "Netscape - Cookies",
                                       "Netscape - Preferences",
                                       "Opera - Cookies",
                                       "Opera - Autocomplete History",
                                       "Mozilla Firefox - Cookies",
                                       "Mozilla Firefox - Autocomplete History",
                                       "Mozilla Firefox - Preferences",
                                       "Google Chrome - Cookies",
                                       "Google Chrome - Stored passwords in Forms"};
  const std::vector<std::string> keys = ShippedKeys();
  ASSERT_FALSE(keys.empty());
  for (const std::string& key : keys) EXPECT_EQ(never.count(key), 0U) << key;
}

}  // namespace
}  // namespace morvel::packaging
