#pragma once
// The browser cleaner tests' fixture: where each browser keeps its profiles on the test
// machine, and the local application-data folder, which the image lacks until a test asks
// for it (as the shell writes it on first use).

#include <string>

#include "tests/cleaners/browser_databases.h"
#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {

class BrowserTest : public CleanersTest {
 public:
  static constexpr const char* kShellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

  // The "Local AppData" folder, set beside the roaming one when the machine has none.
  std::string Local() {
    if (auto local = platform::ReadText(registry(), kUser, kShellFolders, "Local AppData"))
      return *local;
    std::string local = AppData();
    local = local.substr(0, local.rfind('\\')) + "\\Local";
    PutValue(kShellFolders, platform::RegistryValue::MakeString("Local AppData", local));
    return local;
  }
  std::string Firefox() { return AppData() + "\\Mozilla\\Firefox\\Profiles"; }
  std::string FirefoxLocal() { return Local() + "\\Mozilla\\Firefox\\Profiles"; }
  std::string Chrome() { return Local() + "\\Google\\Chrome\\User Data\\Default"; }
  std::string Opera() { return AppData() + "\\Opera"; }
  std::string OperaLocal() { return Local() + "\\Opera"; }
  std::string Netscape() { return AppData() + "\\Netscape\\NSB\\Profiles"; }

 protected:
  // A places.sqlite with two places and `visits` visits.
  void PutPlaces(const std::string& path, int visits = 3) {
    PutFile(path, 0);
    RunSql(files(), path,
           {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT)",
            "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)",
            "INSERT INTO moz_places (url) VALUES ('http://a/'), ('http://b/')"});
    for (int i = 0; i < visits; ++i)
      RunSql(files(), path, {"INSERT INTO moz_historyvisits (place_id) VALUES (1)"});
  }
};

}  // namespace morvel::cleaners_test
