// The browser's stores and the file operations the Internet Explorer cleaners need: the
// URL cache and history walks, a shared open for writing, short names, the browser's
// shell folders.

#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/contract_fixture.h"

namespace morvel::contract {
namespace {

using platform::ErrorKind;
using platform::UrlAction;

class InternetContract : public PortContract {
 protected:
  // The URLs of the walk that this test added (the real cache holds others too).
  template <class Walk>
  std::vector<std::string> Ours(Walk walk, const std::string& remove = {}) {
    std::vector<std::string> seen;
    walk([&](std::string_view url) {
      if (url.find("morvel-contract.test") == std::string_view::npos) return UrlAction::Next;
      seen.emplace_back(url);
      return url == remove ? UrlAction::Delete : UrlAction::Next;
    });
    std::sort(seen.begin(), seen.end());
    return seen;
  }
  auto Cache() {
    return [this](const platform::UrlVisitor& v) { backend().internet().WalkUrlCache(v); };
  }
  auto History() {
    return [this](const platform::UrlVisitor& v) {
      EXPECT_TRUE(backend().internet().WalkUrlHistory(v).ok());
    };
  }
};

TEST_F(InternetContract, TheCacheWalkShowsEveryEntryAndDeletesOnlyThoseItIsToldTo) {
  const std::string plain = "http://morvel-contract.test/a.htm";
  const std::string secure = "https://morvel-contract.test/b.htm";
  SKIP_IF(backend().AddUrlCacheEntry(plain));
  SKIP_IF(backend().AddUrlCacheEntry(secure));
  EXPECT_EQ(Ours(Cache(), plain), (std::vector<std::string>{plain, secure}));
  EXPECT_EQ(Ours(Cache()), std::vector<std::string>{secure});
  int shown = 0;
  backend().internet().WalkUrlCache([&](std::string_view) {
    ++shown;
    return UrlAction::Stop;
  });
  EXPECT_EQ(shown, 1);
}

TEST_F(InternetContract, TheHistoryWalkShowsEveryUrlAndDeletesOnlyThoseItIsToldTo) {
  const std::string first = "http://morvel-contract.test/visited.htm";
  const std::string second = "http://morvel-contract.test/kept.htm";
  SKIP_IF(backend().AddUrlHistoryEntry(first));
  SKIP_IF(backend().AddUrlHistoryEntry(second));
  EXPECT_EQ(Ours(History(), first), (std::vector<std::string>{second, first}));
  EXPECT_EQ(Ours(History()), std::vector<std::string>{second});
}

TEST_F(InternetContract, AHistoryStoreThatCannotBeWalkedSaysSoAndShowsNothing) {
  // Wine creates the store but implements none of its methods: the walk must end quietly.
  int shown = 0;
  const platform::Status walked = backend().internet().WalkUrlHistory([&](std::string_view) {
    ++shown;
    return UrlAction::Next;
  });
  EXPECT_TRUE(walked.ok() || walked.kind == ErrorKind::NotFound);
  if (!walked.ok()) {
    EXPECT_EQ(shown, 0);
  }
}

TEST_F(InternetContract, ASharedOpenWritesAFileAnotherProgramHoldsOpen) {
  ASSERT_TRUE(files().WriteFile(Path("index.dat"), "0123456789").ok());
  SKIP_IF(backend().LockFile(Path("index.dat")));
  EXPECT_EQ(files().OpenExclusive(Path("index.dat")).status.kind, ErrorKind::InUse);
  {
    auto shared = files().OpenSharedForWriting(Path("index.dat"));
    ASSERT_TRUE(shared.ok());
    const char bytes[] = "AB";
    ASSERT_TRUE(shared.value->WriteAt(4, std::as_bytes(std::span(bytes, 2))).ok());
  }
  // Read as the browser's neighbours read it: ReadFile refuses a file in use.
  auto reader = files().OpenForReading(Path("index.dat"));
  ASSERT_TRUE(reader.ok());
  std::string bytes(10, '\0');
  ASSERT_TRUE(reader.value->ReadAt(0, std::as_writable_bytes(std::span(bytes))).ok());
  EXPECT_EQ(bytes, "0123AB6789");
  EXPECT_EQ(files().OpenSharedForWriting(Path("missing.dat")).status.kind, ErrorKind::NotFound);
  EXPECT_EQ(files().OpenSharedForWriting(Path()).status.kind, ErrorKind::AccessDenied);
}

TEST_F(InternetContract, AShortPathNamesTheSameFileAndAMissingOneHasNone) {
  ASSERT_TRUE(files().CreateFolder(Path("Long Folder Name")).ok());
  const std::string path = Path("Long Folder Name\\index file.data");
  ASSERT_TRUE(files().WriteFile(path, "12345").ok());
  const std::string short_path = files().ShortPathName(path);
  ASSERT_FALSE(short_path.empty());
  EXPECT_LE(short_path.size(), 259u);
  EXPECT_EQ(files().ReadFile(short_path).value, "12345") << short_path;
  EXPECT_EQ(files().ShortPathName(Path("missing.dat")), "");
}

TEST_F(InternetContract, TheBrowserFoldersAreFound) {
  for (auto folder : {platform::SpecialFolder::InternetCache, platform::SpecialFolder::Cookies,
                      platform::SpecialFolder::History}) {
    backend().system().EndBrowserSession();
    const std::string path = backend().system().SpecialFolderPath(folder);
    EXPECT_FALSE(path.empty()) << static_cast<int>(folder);
    EXPECT_FALSE(path.ends_with('\\')) << path;
  }
}

}  // namespace
}  // namespace morvel::contract
