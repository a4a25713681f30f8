#include "platform/emulated/emulated_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_image.h"

namespace morvel::platform::emulated {
namespace {

namespace fs = std::filesystem;
using testing::TempImage;

class EmulatedFilesTest : public ::testing::Test {
 protected:
  EmulatedFilesTest() { image_.MakeFolder("drives/C"); }

  EmulatedFiles& files() {
    if (!files_) files_ = std::make_unique<EmulatedFiles>(image_.root() / "drives", facts_);
    return *files_;
  }

  std::vector<FileEntry> List(std::string_view folder) {
    std::vector<FileEntry> entries;
    const Status status = files().Enumerate(folder, [&](const FileEntry& entry) {
      entries.push_back(entry);
      return true;
    });
    EXPECT_TRUE(status.ok()) << folder << ": " << ErrorKindName(status.kind);
    return entries;
  }

  std::vector<std::string> Names(std::string_view folder) {
    std::vector<std::string> names;
    for (const FileEntry& entry : List(folder)) names.push_back(entry.name);
    return names;
  }

  TempImage image_;
  MachineFacts facts_;
  std::unique_ptr<EmulatedFiles> files_;
};

TEST_F(EmulatedFilesTest, ResolvesWithoutRegardToCaseAndKeepsTheCaseOfCreation) {
  ASSERT_TRUE(files().CreateFolder(R"(C:\Users\User\Documents)").ok());
  ASSERT_TRUE(files().WriteFile(R"(c:\USERS\user\documents\Notes.TXT)", "first").ok());
  EXPECT_EQ(image_.Read("drives/C/Users/User/Documents/Notes.TXT"), "first");

  EXPECT_EQ(files().ReadFile("C:/users/USER/Documents/notes.txt").value, "first");
  ASSERT_TRUE(files().WriteFile(R"(C:\users\user\DOCUMENTS\NOTES.txt)", "second").ok());
  EXPECT_EQ(Names(R"(C:\Users\User\Documents)"), std::vector<std::string>{"Notes.TXT"});
  EXPECT_EQ(files().ReadFile(R"(C:\Users\User\Documents\Notes.TXT)").value, "second");

  ASSERT_TRUE(files().CreateFolder(R"(C:\USERS\Public)").ok());
  EXPECT_EQ(image_.List("drives/C"), std::vector<std::string>{"Users"});
  EXPECT_EQ(image_.List("drives/C/Users"), (std::vector<std::string>{"Public", "User"}));

  EXPECT_EQ(files().Stat(R"(c:\users\USER)").value.name, "User");
  EXPECT_EQ(files().HostPath(R"(c:\users\user\documents\New\x.txt)"),
            image_.root() / "drives/C/Users/User/Documents/New/x.txt");
}

TEST_F(EmulatedFilesTest, DrivesNeedBothMachineIniAndAFolder) {
  image_.MakeFolder("drives/d");  // a lower-case drive folder is found too
  image_.MakeFolder("drives/E");
  facts_.drives['D' - 'A'] = DriveType::CdRom;
  facts_.drives['F' - 'A'] = DriveType::Fixed;  // no folder

  EXPECT_TRUE(files().Stat(R"(d:\)").ok());
  EXPECT_TRUE(files().Stat(R"(d:\)").value.IsFolder());
  EXPECT_EQ(files().Stat(R"(E:\)").status.kind, ErrorKind::NotFound);  // not in [Drives]
  EXPECT_EQ(files().Stat(R"(F:\)").status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().CreateFolder(R"(F:\x)").kind, ErrorKind::NotFound);
  EXPECT_EQ(files().HostPath(R"(E:\x)"), std::nullopt);
  EXPECT_EQ(files().HostPath(R"(D:\x)"), image_.root() / "drives/d/x");
}

TEST_F(EmulatedFilesTest, ListsInNtfsOrderWithAttributesSizesAndTimes) {
  for (const char* name : {"b.txt", "A.txt", "_x", "a1", "Z", "[1]"})
    image_.Write(fs::path("drives/C/f") / name, "12345");
  image_.MakeFolder("drives/C/f/Sub");
  // Host names that no Windows path could reach are left out.
  image_.Write("drives/C/f/a\\b", "");
  image_.Write("drives/C/f/x:y", "");
  const fs::path dated = image_.Write("drives/C/f/dated", "");
  const timespec times[2] = {{946684800, 0}, {946684800, 1234567}};  // 2000-01-01 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, dated.c_str(), times, 0), 0);

  EXPECT_EQ(Names(R"(C:\F)"),
            (std::vector<std::string>{"A.txt", "a1", "b.txt", "dated", "Sub", "Z", "[1]", "_x"}));
  const std::vector<FileEntry> entries = List(R"(C:\f\)");
  EXPECT_EQ(entries[0].attributes, attr::Archive);
  EXPECT_EQ(entries[0].size, 5u);
  EXPECT_EQ(entries[3].last_write, 125911584000000000u + 12345u);
  EXPECT_EQ(entries[4].attributes, attr::Directory);
  EXPECT_EQ(entries[4].size, 0u);

  int visited = 0;
  EXPECT_TRUE(files().Enumerate(R"(C:\f)", [&](const FileEntry&) { return ++visited < 2; }).ok());
  EXPECT_EQ(visited, 2);
  EXPECT_EQ(Names(R"(C:\)"), std::vector<std::string>{"f"});
}

TEST_F(EmulatedFilesTest, ReportsFaultsAsWindowsDoes) {
  image_.Write("drives/C/f/file.txt", "x");
  const auto kind = [](const Status& s) { return s.kind; };
  const auto visit_all = [](const FileEntry&) { return true; };

  EXPECT_EQ(kind(files().Enumerate(R"(C:\missing)", visit_all)), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().Enumerate(R"(C:\f\file.txt)", visit_all)), ErrorKind::AccessDenied);
  EXPECT_EQ(kind(files().ReadFile(R"(C:\f)").status), ErrorKind::AccessDenied);
  EXPECT_EQ(kind(files().ReadFile(R"(C:\f\missing.txt)").status), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().ReadFile(R"(C:\f\file.txt\x)").status), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().Stat(R"(C:\missing\x)").status), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\missing\x.txt)", "x")), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\f)", "x")), ErrorKind::AccessDenied);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\)", "x")), ErrorKind::AccessDenied);
  EXPECT_EQ(kind(files().CreateFolder(R"(C:\f\file.txt)")), ErrorKind::AlreadyExists);
  EXPECT_EQ(kind(files().CreateFolder(R"(C:\f\file.txt\sub)")), ErrorKind::AlreadyExists);
  EXPECT_TRUE(files().CreateFolder(R"(C:\)").ok());

  // Nothing may reach above the drive folder or use a relative path.
  image_.Write("machine.ini", "secret");
  EXPECT_EQ(kind(files().ReadFile(R"(C:\..\..\machine.ini)").status), ErrorKind::InvalidArgument);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\f\..\..\x)", "x")), ErrorKind::InvalidArgument);
  EXPECT_EQ(kind(files().ReadFile(R"(f\file.txt)").status), ErrorKind::InvalidArgument);
  EXPECT_EQ(kind(files().CreateFolder(std::string("C:\\a\0b", 6))), ErrorKind::InvalidArgument);
  EXPECT_EQ(files().HostPath(R"(C:\..\machine.ini)"), std::nullopt);
}

TEST_F(EmulatedFilesTest, ReadOnlyFileIsReportedAndNotOverwritten) {
  const fs::path file = image_.Write("drives/C/ro.txt", "old");
  fs::permissions(file, fs::perms::owner_read);
  EXPECT_EQ(files().Stat(R"(C:\ro.txt)").value.attributes, attr::Archive | attr::ReadOnly);
  EXPECT_EQ(files().WriteFile(R"(C:\ro.txt)", "new").kind, ErrorKind::AccessDenied);
  EXPECT_EQ(image_.Read("drives/C/ro.txt"), "old");
}

TEST_F(EmulatedFilesTest, LockedFilesAreInUseWhateverTheCase) {
  image_.Write("drives/C/pagefile.sys", "paging");
  facts_.locked.push_back(ParseWindowsPath(R"(C:\PageFile.sys)").value);

  EXPECT_EQ(files().ReadFile(R"(c:\PAGEFILE.SYS)").status.kind, ErrorKind::InUse);
  EXPECT_EQ(files().WriteFile(R"(C:/pagefile.sys)", "x").kind, ErrorKind::InUse);
  EXPECT_EQ(image_.Read("drives/C/pagefile.sys"), "paging");
  EXPECT_TRUE(files().Stat(R"(C:\pagefile.sys)").ok());  // in use, not hidden
}

TEST_F(EmulatedFilesTest, WriteReplacesWholeFileAndLeavesNoTemporaryFile) {
  const fs::path file = image_.Write("drives/C/f/data.bin", "a much longer old content");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string bytes("new\0bytes", 9);

  ASSERT_TRUE(files().WriteFile(R"(C:\F\DATA.BIN)", bytes).ok());
  ASSERT_TRUE(files().WriteFile(R"(C:\f\empty)", "").ok());

  EXPECT_EQ(image_.Read("drives/C/f/data.bin"), bytes);
  EXPECT_EQ(image_.List("drives/C/f"), (std::vector<std::string>{"data.bin", "empty"}));
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(files().Stat(R"(C:\f\empty)").value.size, 0u);
}

// Links made on the host stand for Windows reparse points. They are described as links,
// and followed as Windows follows them only while they lead into the machine's drive
// folders: nothing outside may be read, listed or changed through them.
class EmulatedFilesLinkTest : public EmulatedFilesTest {
 protected:
  EmulatedFilesLinkTest() {
    outside_ = image_.MakeFolder("outside");
    image_.Write("outside/target.txt", "outside");
    image_.Write("drives/C/real/inner.txt", "inside");
    fs::create_directory_symlink(outside_, image_.root() / "drives/C/LinkDir");
    fs::create_symlink(outside_ / "target.txt", image_.root() / "drives/C/linkfile");
    fs::create_symlink(outside_ / "gone", image_.root() / "drives/C/dangling");
    fs::create_directory_symlink("real", image_.root() / "drives/C/junction");
  }

  // A host link at `link` (below the image) to `target`, as written.
  void Link(const fs::path& link, const fs::path& target) {
    fs::create_symlink(target, image_.root() / link);
  }

  fs::path outside_;
};

TEST_F(EmulatedFilesLinkTest, LinksAreReportedAsReparsePoints) {
  const std::vector<FileEntry> entries = List(R"(C:\)");
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, "dangling");
  EXPECT_EQ(entries[0].attributes, attr::ReparsePoint);
  EXPECT_EQ(entries[1].name, "junction");
  EXPECT_EQ(entries[1].attributes, attr::ReparsePoint | attr::Directory);
  EXPECT_EQ(entries[2].name, "LinkDir");
  EXPECT_EQ(entries[2].attributes, attr::ReparsePoint | attr::Directory);
  EXPECT_EQ(entries[3].name, "linkfile");
  EXPECT_EQ(entries[3].attributes, attr::ReparsePoint | attr::Archive);
  EXPECT_EQ(entries[3].size, 0u);
  EXPECT_EQ(entries[4].attributes, attr::Directory);

  const auto stat = files().Stat(R"(C:\LINKFILE)");
  ASSERT_TRUE(stat.ok());
  EXPECT_EQ(stat.value.attributes, attr::ReparsePoint | attr::Archive);
  EXPECT_EQ(files().Stat(R"(C:\linkdir)").value.attributes, attr::ReparsePoint | attr::Directory);
  EXPECT_EQ(files().Stat(R"(C:\dangling)").value.attributes, attr::ReparsePoint);
  EXPECT_EQ(files().Stat(R"(C:\junction)").value.name, "junction");
}

TEST_F(EmulatedFilesLinkTest, LinksInsideTheMachineLeadToTheirTargets) {
  Link("drives/C/inlink", "real/inner.txt");
  Link("drives/C/chain", "junction");  // a link to a link
  image_.Write("drives/D/data/d.txt", "on D");
  facts_.drives['D' - 'A'] = DriveType::Removable;
  Link("drives/C/ToD", image_.root() / "drives/D/data");
  Link("drives/C/real/up", "..");
  facts_.locked.push_back(ParseWindowsPath(R"(D:\Data\D.txt)").value);

  EXPECT_EQ(Names(R"(C:\JUNCTION)"), (std::vector<std::string>{"inner.txt", "up"}));
  EXPECT_EQ(Names(R"(C:\chain)"), (std::vector<std::string>{"inner.txt", "up"}));
  EXPECT_EQ(files().ReadFile(R"(C:\junction\INNER.TXT)").value, "inside");
  EXPECT_EQ(files().ReadFile(R"(C:\inlink)").value, "inside");
  EXPECT_EQ(files().ReadFile(R"(C:\chain\inner.txt)").value, "inside");
  EXPECT_EQ(files().ReadFile(R"(C:\real\up\REAL\up\junction\inner.txt)").value, "inside");
  EXPECT_EQ(files().Stat(R"(C:\junction\inner.txt)").value.size, 6u);
  EXPECT_EQ(files().Stat(R"(C:\junction\inner.txt)").value.name, "inner.txt");
  EXPECT_EQ(Names(R"(C:\tod)"), std::vector<std::string>{"d.txt"});
  // A file in use is in use under every path that leads to it.
  EXPECT_EQ(files().ReadFile(R"(C:\ToD\d.txt)").status.kind, ErrorKind::InUse);

  // Writing replaces the target and leaves the link a link.
  ASSERT_TRUE(files().WriteFile(R"(C:\inlink)", "rewritten").ok());
  EXPECT_EQ(image_.Read("drives/C/real/inner.txt"), "rewritten");
  EXPECT_TRUE(fs::is_symlink(image_.root() / "drives/C/inlink"));
  ASSERT_TRUE(files().WriteFile(R"(C:\junction\new.txt)", "new").ok());
  EXPECT_EQ(image_.Read("drives/C/real/new.txt"), "new");
  ASSERT_TRUE(files().CreateFolder(R"(C:\Junction\sub\deeper)").ok());
  EXPECT_TRUE(fs::is_directory(image_.root() / "drives/C/real/sub/deeper"));
  EXPECT_TRUE(files().CreateFolder(R"(C:\junction)").ok());  // already a folder
  EXPECT_EQ(files().HostPath(R"(C:\junction\x)"),
            fs::canonical(image_.root() / "drives/C/real") / "x");
}

TEST_F(EmulatedFilesLinkTest, NothingOutsideTheDrivesIsReachedThroughALink) {
  image_.Write("machine.ini", "secret");
  image_.Write("drives/E/e.txt", "not a drive");  // a folder, but [Drives] lacks E
  image_.Write("drives/Cx/x.txt", "a sibling whose name starts like C's");
  Link("drives/C/escape", "../../outside");
  Link("drives/C/ini", "../../machine.ini");
  Link("drives/C/toE", "../E");
  Link("drives/C/toCx", "../Cx");

  const auto kind = [](const Status& s) { return s.kind; };
  const auto visit_all = [](const FileEntry&) { return true; };
  for (const char* link : {R"(C:\linkdir)", R"(C:\escape)", R"(C:\toE)", R"(C:\toCx)"}) {
    const std::string path(link);
    EXPECT_EQ(kind(files().Enumerate(path, visit_all)), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().ReadFile(path + R"(\target.txt)").status), ErrorKind::AccessDenied)
        << link;
    EXPECT_EQ(kind(files().Stat(path + R"(\x.txt)").status), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().WriteFile(path + R"(\new.txt)", "x")), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().CreateFolder(path + R"(\sub\deeper)")), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(files().HostPath(path + R"(\x)"), std::nullopt) << link;
  }
  for (const char* link : {R"(C:\linkfile)", R"(C:\ini)"}) {
    EXPECT_EQ(kind(files().ReadFile(link).status), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().WriteFile(link, "x")), ErrorKind::AccessDenied) << link;
  }
  // A missing target out there is not even reported as missing.
  EXPECT_EQ(kind(files().ReadFile(R"(C:\dangling)").status), ErrorKind::AccessDenied);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\dangling)", "x")), ErrorKind::AccessDenied);

  EXPECT_EQ(image_.List("outside"), std::vector<std::string>{"target.txt"});
  EXPECT_EQ(image_.Read("outside/target.txt"), "outside");
  EXPECT_EQ(image_.Read("machine.ini"), "secret");
  EXPECT_EQ(image_.List("drives/E"), std::vector<std::string>{"e.txt"});
  EXPECT_EQ(image_.List("drives/Cx"), std::vector<std::string>{"x.txt"});
  EXPECT_TRUE(fs::is_symlink(image_.root() / "drives/C/linkfile"));
  EXPECT_FALSE(fs::exists(outside_ / "gone"));
}

TEST_F(EmulatedFilesLinkTest, DanglingLinksAreMissingAndLoopsRefused) {
  Link("drives/C/gone", "real/missing.txt");
  Link("drives/C/gonedir", "nothing/here");
  Link("drives/C/loop1", "loop2");
  Link("drives/C/loop2", "loop1");
  Link("drives/C/self", "self");

  const auto kind = [](const Status& s) { return s.kind; };
  const auto visit_all = [](const FileEntry&) { return true; };
  EXPECT_EQ(kind(files().ReadFile(R"(C:\gone)").status), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().WriteFile(R"(C:\gone)", "x")), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().Enumerate(R"(C:\gonedir)", visit_all)), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().ReadFile(R"(C:\gonedir\x.txt)").status), ErrorKind::NotFound);
  EXPECT_EQ(kind(files().CreateFolder(R"(C:\gonedir\x)")), ErrorKind::NotFound);
  EXPECT_EQ(image_.List("drives/C/real"), std::vector<std::string>{"inner.txt"});

  for (const char* link : {R"(C:\loop1)", R"(C:\self)"}) {
    const std::string path(link);
    EXPECT_EQ(kind(files().Enumerate(path, visit_all)), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().ReadFile(path).status), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().WriteFile(path, "x")), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().ReadFile(path + R"(\x)").status), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(kind(files().CreateFolder(path + R"(\x)")), ErrorKind::AccessDenied) << link;
    EXPECT_EQ(files().Stat(path).value.attributes, attr::ReparsePoint) << link;
  }
}

}  // namespace
}  // namespace morvel::platform::emulated
