// The index.dat viewer's controller on both machines: the default file, the names Show
// refuses, the rows of a read, files that are damaged or cannot be read, and Show and
// Close arriving in the middle of a read through the messages it lets through.
#include "app/index_dat_viewer.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/harness/two_backend_test.h"
#include "tests/stores/index_dat_builder.h"

namespace morvel::testing {
namespace {

using Events = std::vector<std::string>;

// 2014-03-09 17:05:42 UTC.
constexpr std::uint64_t kAfternoon = 130'388'583'420'000'000;

// The dialog: what it was told, and what a let-through message does.
class RecordingViewerView final : public app::IndexDatViewerView {
 public:
  void ShowRefusal() override { events.push_back("refused"); }
  void BeginRead() override { events.push_back("begin"); }
  void SetProgress(int percent) override { last_percent = percent; }
  void LetMessageThrough() override {
    ++let_through;
    if (message) std::exchange(message, nullptr)();
  }
  void ShowRows(std::size_t count, std::string_view total) override {
    events.push_back("rows " + std::to_string(count) + " total " + std::string(total));
  }
  Events events;
  int last_percent = -1;
  int let_through = 0;
  std::function<void()> message;  // handled at the next message let through, once
};

// An index.dat of `urls.size()` "URL " records in one table of 4 blocks (12 + 16 entries).
std::string IndexDat(const std::vector<std::string>& urls) {
  IndexDatBuilder b(0x4000, 0x100);
  b.Table(0x100, 4);
  for (std::size_t i = 0; i < urls.size(); ++i) {
    const auto record = static_cast<std::int32_t>(0x1000 + 0x200 * i);
    b.Entry(0x100, i, record).UrlRecord(record, urls[i], kAfternoon);
  }
  return b.bytes;
}

class IndexDatViewerTest : public TwoBackendTest {
 protected:
  const MachineSetup& Machine() const override {
    static const MachineSetup setup = [] {
      MachineSetup s;
      s.scratch = "Morvel Index Viewer";
      return s;
    }();
    return setup;
  }
  // Made at first use: an arranger step before it may reopen the machine.
  app::IndexDatViewer& viewer() {
    if (!viewer_) viewer_ = std::make_unique<app::IndexDatViewer>(files(), system(), view);
    return *viewer_;
  }
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (std::size_t i = 0; i < viewer().RowCount(); ++i) urls.emplace_back(viewer().Url(i));
    return urls;
  }

  RecordingViewerView view;

 private:
  std::unique_ptr<app::IndexDatViewer> viewer_;
};

TEST_F(IndexDatViewerTest, StartsWithTheCachesIndexWhetherOrNotItExists) {
  for (const char* cache : {"C:\\No Such Cache", "C:\\No Such Cache\\"}) {
    system().folders[platform::SpecialFolder::InternetCache] = cache;
    EXPECT_EQ(app::DefaultIndexDatPath(system()), "C:\\No Such Cache\\Content.IE5\\index.dat");
  }
  viewer().OnShow("C:\\No Such Cache\\Content.IE5\\index.dat");
  EXPECT_EQ(view.events, Events{"refused"});
}

TEST_F(IndexDatViewerTest, ListsTheRowsOfAnIndexDatNamedInAnyLetterCase) {
  const std::vector<std::string> urls = {"http://a.example/", "http://b.example/x?y=1",
                                         "Visited: user@http://c.example/"};
  WriteAt(Path("INDEX.DaT"), IndexDat(urls));
  viewer().OnShow(Path("INDEX.DaT"));
  EXPECT_EQ(view.events, (Events{"begin", "rows 3 total 3"}));
  EXPECT_EQ(view.last_percent, 100);
  EXPECT_GT(view.let_through, 0);
  EXPECT_EQ(Urls(), urls);
  EXPECT_NE(viewer().LastModified(1), "");
  EXPECT_NE(viewer().LastModified(1), "Not Available");
  EXPECT_EQ(viewer().ImageIndex(2), 0);
  EXPECT_EQ(viewer().UrlToOpen(1), urls[1]);
  for (long long row : {-1LL, 3LL}) EXPECT_EQ(viewer().UrlToOpen(row), std::nullopt) << row;
  EXPECT_EQ(viewer().Url(3), "");
}

TEST_F(IndexDatViewerTest, OtherNamesAreRefusedAndTheRowsShownStay) {
  WriteAt(Path("index.dat"), IndexDat({"http://kept.example/"}));
  WriteAt(Path("index.txt"), IndexDat({"http://other.example/"}));
  ASSERT_TRUE(files().CreateFolder(Path("folder.dat")).ok());
  viewer().OnShow(Path("index.dat"));
  for (const std::string& name : {Path("index.txt"), Path("missing.dat"), Path("folder.dat"),
                                  Path("index.dat.bak"), std::string()}) {
    view.events.clear();
    viewer().OnShow(name);
    EXPECT_EQ(view.events, Events{"refused"}) << name;
    EXPECT_EQ(Urls(), std::vector<std::string>{"http://kept.example/"}) << name;
  }
}

TEST_F(IndexDatViewerTest, DamagedFilesGiveTheRowsFoundSoFarAndNeverHang) {
  const std::string sound = IndexDat({"http://one.example/", "http://two.example/"});
  IndexDatBuilder loop(0x4000, 0x100);
  loop.Table(0x100, 1, 0x200).Table(0x200, 1, 0x100);
  loop.Entry(0x100, 0, 0x1000).UrlRecord(0x1000, "http://loop.example/", kAfternoon);
  const struct {
    const char* name;
    std::string bytes;
    std::size_t rows;
  } cases[] = {
      {"empty.dat", "", 0},
      {"text.dat", "[Cookies to keep]\r\nCount=1\r\n0=a\r\n", 0},
      {"truncated.dat", sound.substr(0, 0x1000 + 0x200 + 0x40), 1},
      {"loop.dat", loop.bytes, 1},
  };
  for (const auto& c : cases) {
    WriteAt(Path(c.name), c.bytes);
    view.events.clear();
    viewer().OnShow(Path(c.name));
    EXPECT_EQ(view.events, (Events{"begin", "rows " + std::to_string(c.rows) + " total " +
                                                std::to_string(c.rows)}))
        << c.name;
  }
}

TEST_F(IndexDatViewerTest, AFileThatCannotBeOpenedShowsNoRowsAndLeavesTheBarAtZero) {
  // A link whose file has gone is there to be named but opens nothing; where no such link
  // can be made, a file another program holds without sharing.
  std::string name = Path("link.dat");
  if (machine().MakeLink(name, Path("gone.dat"), false)) {
    name = Path("index.dat");
    WriteAt(name, IndexDat({"http://a.example/"}));
    SKIP_IF(machine().LockFile(name));
  }
  viewer().OnShow(name);
  EXPECT_EQ(view.events, (Events{"begin", "rows 0 total 0"}));
  EXPECT_EQ(view.last_percent, -1);
}

TEST_F(IndexDatViewerTest, ShowDuringAReadStopsItAndReadsTheNameThenGiven) {
  WriteAt(Path("first.dat"), IndexDat({"http://first.example/1", "http://first.example/2"}));
  WriteAt(Path("second.dat"), IndexDat({"http://second.example/"}));
  view.message = [&] {
    // While the read runs the list view is told of no rows, and gets none.
    EXPECT_TRUE(viewer().reading());
    EXPECT_EQ(viewer().RowCount(), 0u);
    EXPECT_EQ(viewer().Url(0), "");
    viewer().OnShow(Path("second.dat"));
  };
  viewer().OnShow(Path("first.dat"));
  EXPECT_EQ(view.events, (Events{"begin", "rows 0 total 0", "begin", "rows 1 total 1"}));
  EXPECT_EQ(Urls(), std::vector<std::string>{"http://second.example/"});
  EXPECT_FALSE(viewer().reading());
}

TEST_F(IndexDatViewerTest, CloseDuringAReadStopsItAndNothingMoreIsShown) {
  WriteAt(Path("index.dat"), IndexDat({"http://a.example/", "http://b.example/"}));
  view.message = [&] { viewer().OnClose(); };
  viewer().OnShow(Path("index.dat"));
  EXPECT_EQ(view.events, Events{"begin"});
  EXPECT_EQ(view.let_through, 1);
  EXPECT_EQ(viewer().RowCount(), 0u);
  viewer().OnShow(Path("index.dat"));
  EXPECT_EQ(view.events, Events{"begin"});
}

}  // namespace
}  // namespace morvel::testing
