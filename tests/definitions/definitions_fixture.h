#pragma once
// The fixture of the registry-removal and definition-file tests: a fresh machine per test,
// a port whose program folder is the scratch folder (so the tests' definition files stay
// inside it) and whose administrator test and Windows family can be overridden, and
// helpers to arrange and inspect registry keys and files through the port.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/harness/two_backend_test.h"

namespace morvel::definitions_test {

class DefinitionsTest : public testing::TwoBackendTest {
 protected:
  // "Common AppData" is left out on purpose: a macro whose value is missing resolves to
  // empty text.
  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.scratch = "MorvelTest";
      s.machine_ini = "[System]\r\nPlatform=NT\r\nAdministrator=1\r\n";
      s.registry_reg =
          "Windows Registry Editor Version 5.00\r\n"
          "\r\n"
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
          "Folders]\r\n"
          "\"AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Roaming\"\r\n"
          "\"Local AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Local\"\r\n"
          "\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
          "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
          "\r\n";
      s.image_folders = {"drives/C/Windows/Temp", "drives/C/Users/User/AppData/Roaming",
                         "drives/C/Users/User/AppData/Local", "drives/C/Program Files/Morvel"};
      return s;
    }();
    return setup;
  }

  void SetUp() override {
    TwoBackendTest::SetUp();
    system().program_folder = Folder() + "\\";
  }

  // A path below the scratch folder ("" for the folder itself).
  std::string Folder(std::string_view sub = {}) const { return Path(sub); }

  // Every key and value below `path` (included), one line each, for before/after checks.
  std::vector<std::string> Dump(platform::RootKey root, const std::string& path) {
    std::vector<std::string> lines;
    DumpInto(root, path, lines);
    return lines;
  }

  void PutFile(const std::string& path, std::string_view bytes) { WriteAt(path, bytes); }

 private:
  void DumpInto(platform::RootKey root, const std::string& path, std::vector<std::string>& out) {
    if (!registry().KeyExists(root, path)) return;
    out.push_back("[" + path + "]");
    if (auto values = registry().Values(root, path))
      for (const auto& v : values.value) out.push_back(v.name + "=" + v.AsText().value_or("?"));
    if (auto subs = registry().SubKeyNames(root, path))
      for (const auto& s : subs.value) DumpInto(root, path + "\\" + s, out);
  }
};

}  // namespace morvel::definitions_test
