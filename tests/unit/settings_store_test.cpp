#include "app/settings_store.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

struct Loaded {
  TOptionsSetting options;
  Catalogue catalogue = Catalogue::Fixed();
};

Loaded Load(std::string_view text, WindowDefaults window = {}) {
  Loaded l;
  LoadSettings(IniDocument::Parse(text), l.options, l.catalogue, window);
  return l;
}

TEST(Settings, NoFileGivesTheDefaults) {
  const Loaded l = Load("", WindowDefaults{1280, 1024, 704, 507});
  const TOptionsSetting& o = l.options;
  EXPECT_TRUE(o.AskForSweep);
  EXPECT_TRUE(o.FastScan);
  EXPECT_FALSE(o.OverwriteFile);
  EXPECT_EQ(o.OverwriteNumber, 1);
  EXPECT_FALSE(o.EnableHotkey);
  EXPECT_TRUE(o.Hotkey.IsCtrl);
  EXPECT_FALSE(o.Hotkey.IsShift);
  EXPECT_FALSE(o.Hotkey.IsAlt);
  EXPECT_EQ(o.Hotkey.CharString, "F5");
  EXPECT_EQ(o.Hotkey.CharAscII, 116);
  EXPECT_FALSE(o.AutoWash);
  EXPECT_EQ(IntervalToMs(o.WashInterval), 900'000);
  for (bool expand : o.FirstNodeExpand) EXPECT_TRUE(expand);
  EXPECT_TRUE(l.catalogue.CollectTickedKeys().empty());
  EXPECT_EQ(o.State, WindowState::Normal);
  EXPECT_EQ(o.Width, 704);
  EXPECT_EQ(o.Height, 507);
  EXPECT_EQ(o.Left, (1280 - 704) / 2);  // centred
  EXPECT_EQ(o.Top, (1024 - 507) / 2);
  for (const CatalogueRoot& root : l.catalogue.roots()) {
    EXPECT_EQ(root.state_index, kUnticked);
    for (const CatalogueLeaf& leaf : root.children) EXPECT_EQ(leaf.state_index, kUnticked);
  }
}

TEST(Settings, DefaultsWrittenAndReadBackAreTheDefaults) {
  TOptionsSetting defaults;
  Catalogue catalogue = Catalogue::Fixed();
  catalogue.SetAll(kUnticked);
  IniDocument ini;
  SaveSettings(ini, defaults, catalogue, WindowPlacement{1, 160, 130, 704, 507});
  const Loaded l = Load(ini.Serialize());
  EXPECT_EQ(l.options.AskForSweep, defaults.AskForSweep);
  EXPECT_EQ(l.options.FastScan, defaults.FastScan);
  EXPECT_EQ(l.options.OverwriteNumber, defaults.OverwriteNumber);
  EXPECT_EQ(l.options.Hotkey.CharAscII, defaults.Hotkey.CharAscII);
  EXPECT_EQ(l.options.Hotkey.CharString, defaults.Hotkey.CharString);
  EXPECT_EQ(l.options.FirstNodeExpand, defaults.FirstNodeExpand);
  EXPECT_EQ(l.options.SelectedCount, 0);
  EXPECT_EQ(l.options.Left, 160);
  EXPECT_EQ(l.options.Top, 130);
  // Names exactly as stored, including the odd capitals.
  const std::string text = ini.Serialize();
  for (const char* needle : {"[SChedule]", "CharAscII=116", "[FirstNodeExpand]\r\n1=1",
                             "[NodeSelected]\r\nSelectedCount=0", "[Window]\r\nState=1"})
    EXPECT_NE(text.find(needle), std::string::npos) << needle;
}

TEST(Settings, OutOfRangeAndOddValues) {
  EXPECT_EQ(Load("[Settings]\nOverwriteNumber=0\n").options.OverwriteNumber, 1);
  EXPECT_EQ(Load("[Settings]\nOverwriteNumber=11\n").options.OverwriteNumber, 1);
  EXPECT_EQ(Load("[Settings]\nOverwriteNumber=10\n").options.OverwriteNumber, 10);
  EXPECT_EQ(Load("[Settings]\nOverwriteNumber=many\n").options.OverwriteNumber, 1);
  EXPECT_EQ(Load("[Hotkey]\nCharAscII=65652\n").options.Hotkey.CharAscII, 116);  // low 16 bits
  EXPECT_FALSE(Load("[Settings]\nFastScan=0\n").options.FastScan);
  EXPECT_TRUE(Load("[Settings]\nFastScan=2\n").options.FastScan);
  EXPECT_TRUE(Load("[Settings]\nFastScan=no\n").options.FastScan);  // unreadable: default
}

TEST(Settings, WindowState) {
  const Loaded maximized = Load("[Window]\nState=3\nLeft=5\nTop=6\nWidth=700\nHeight=500\n");
  EXPECT_EQ(maximized.options.State, WindowState::Maximized);
  EXPECT_EQ(maximized.options.Width, kDesignWidth);  // the stored bounds are not read
  const Loaded minimized = Load("[Window]\nState=2\nLeft=5\nTop=6\nWidth=700\nHeight=500\n");
  EXPECT_EQ(minimized.options.State, WindowState::Normal);
  EXPECT_EQ(minimized.options.Left, 5);
  EXPECT_EQ(minimized.options.Height, 500);

  // Bounds are rewritten at every save, also for a maximized window.
  IniDocument ini = IniDocument::Parse("[Window]\nState=3\nLeft=5\n");
  SaveSettings(ini, maximized.options, maximized.catalogue, WindowPlacement{3, 1, 2, 3, 4});
  EXPECT_EQ(ini.Read("Window", "Left"), "1");
  EXPECT_EQ(ini.Read("Window", "State"), "3");
  // An unreadable placement leaves State alone but still writes the bounds.
  SaveSettings(ini, maximized.options, maximized.catalogue,
               WindowPlacement{std::nullopt, 9, 9, 9, 9});
  EXPECT_EQ(ini.Read("Window", "State"), "3");
  EXPECT_EQ(ini.Read("Window", "Top"), "9");
}

TEST(Settings, GeometryIsStoredAt96DpiAndScaledToTheWindows) {
  const struct {
    const char* name;
    int save_dpi, load_dpi;
    WindowPlacement saved;                  // pixels at save_dpi
    const char* stored;                     // Left, Top, Width, Height in settings.ini
    std::int32_t left, top, width, height;  // pixels at load_dpi
  } cases[] = {
      {"96 DPI is stored as it is",
       96,
       96,
       {1, 10, 20, 704, 507},
       "10 20 704 507",
       10,
       20,
       704,
       507},
      {"saved at 144, back at 96",
       144,
       96,
       {1, 30, 15, 1056, 761},
       "20 10 704 507",
       20,
       10,
       704,
       507},
      {"saved at 96, back at 144",
       96,
       144,
       {1, 20, 10, 704, 507},
       "20 10 704 507",
       30,
       15,
       1056,
       761},
      {"saved at 120, back at 192; a screen left of the main one",
       120,
       192,
       {1, -250, 0, 1000, 625},
       "-200 0 800 500",
       -400,
       0,
       1600,
       1000},
  };
  for (const auto& c : cases) {
    IniDocument ini;
    WindowPlacement placement = c.saved;
    placement.dpi = c.save_dpi;
    SaveSettings(ini, TOptionsSetting{}, Catalogue::Fixed(), placement);
    EXPECT_EQ(*ini.Read("Window", "Left") + " " + *ini.Read("Window", "Top") + " " +
                  *ini.Read("Window", "Width") + " " + *ini.Read("Window", "Height"),
              c.stored)
        << c.name;
    WindowDefaults at;
    at.dpi = c.load_dpi;
    const Loaded l = Load(ini.Serialize(), at);
    EXPECT_EQ(l.options.Left, c.left) << c.name;
    EXPECT_EQ(l.options.Top, c.top) << c.name;
    EXPECT_EQ(l.options.Width, c.width) << c.name;
    EXPECT_EQ(l.options.Height, c.height) << c.name;
  }
  // Defaults are the window's own size at its DPI already: not scaled again.
  const Loaded fresh = Load("", WindowDefaults{1920, 1080, 1056, 761, 144});
  EXPECT_EQ(fresh.options.Width, 1056);
  EXPECT_EQ(fresh.options.Left, (1920 - 1056) / 2);
}

TEST(Settings, StoredTicks) {
  // Five keys stored earlier, two ticked now: the count says 2, keys 3 to 5 stay behind
  // and are ignored on the next load.
  IniDocument ini = IniDocument::Parse(
      "[NodeSelected]\n1=Windows\n2=Windows - Start Run\n3=Opera\n4=Opera - Cookies\n"
      "5=Windows - Clipboard\nSelectedCount=5\n");
  Loaded first;
  LoadSettings(ini, first.options, first.catalogue, {});
  EXPECT_EQ(
      first.catalogue.CollectTickedKeys(),
      (std::vector<std::string>{"Windows - Start Run", "Windows - Clipboard", "Opera - Cookies"}));
  Catalogue now = Catalogue::Fixed();
  now.SetAll(kUnticked);
  now.TickByKey("Google Chrome");
  now.TickByKey("Google Chrome - Cookies");
  SaveSettings(ini, first.options, now, WindowPlacement{});
  EXPECT_EQ(ini.Read("NodeSelected", "SelectedCount"), "2");
  EXPECT_EQ(ini.Read("NodeSelected", "1"), "Google Chrome");
  EXPECT_EQ(ini.Read("NodeSelected", "2"), "Google Chrome - Cookies");
  EXPECT_EQ(ini.Read("NodeSelected", "5"), "Windows - Clipboard");
  Loaded second;
  LoadSettings(ini, second.options, second.catalogue, {});
  EXPECT_EQ(second.catalogue.CollectTickedKeys(),
            (std::vector<std::string>{"Google Chrome - Cookies"}));
}

// A hand-edited count ticks what the section holds and no more, at once: it never makes
// the program look for keys that are not there.
TEST(Settings, StoredCountOnlyChoosesAmongTheStoredKeys) {
  const struct {
    const char* count;
    std::vector<std::string> ticked;
  } cases[] = {
      {"2147483647", {"Windows - Start Run", "Opera - Cookies"}},
      {"1", {"Windows - Start Run"}},
      {"0", {}},
      {"-2147483648", {}},
      {"many", {}},  // unreadable: the default, nothing
  };
  for (const auto& c : cases) {
    const Loaded l = Load(std::string("[NodeSelected]\n1=Windows - Start Run\n2=Opera - Cookies\n"
                                      "SelectedCount=") +
                          c.count + "\n");
    EXPECT_EQ(l.catalogue.CollectTickedKeys(), c.ticked) << c.count;
  }
}

TEST(Settings, StoredTickOfAnUninstalledApplicationIsSkipped) {
  Catalogue catalogue = Catalogue::Fixed();
  catalogue.FillApplications({"7-Zip", "WinRAR"}, {"7-Zip 19.00"});
  TOptionsSetting options;
  LoadSettings(IniDocument::Parse("[NodeSelected]\n1=Applications - WinRAR\n"
                                  "2=Applications - 7-Zip\nSelectedCount=2\n"),
               options, catalogue, {});
  EXPECT_EQ(catalogue.CollectTickedKeys(), (std::vector<std::string>{"Applications - 7-Zip"}));
}

TEST(Settings, IntervalToMs) {
  const std::pair<int, int> cases[] = {{0, 900'000},    {1, 1'800'000},  {2, 3'600'000},
                                       {3, 14'400'000}, {4, 28'800'000}, {5, 900'000},
                                       {-1, 900'000}};
  for (auto [choice, ms] : cases) EXPECT_EQ(IntervalToMs(choice), ms) << choice;
}

}  // namespace
}  // namespace morvel
