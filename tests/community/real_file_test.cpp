// The community file Morvel ships, read whole: only the lines that truly cannot be used are
// skipped (each printed with its reason), and every entry compiles into actions that stay
// in folders of this machine.

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

#include "engine/community/compile.h"
#include "engine/community/reader.h"
#include "tests/community/community_fixture.h"

namespace morvel::community_test {
namespace {

using community::Definitions;

std::string ShippedFile() {
  std::ifstream in(MORVEL_SOURCE_DIR "/data/winapp2/Winapp2.ini", std::ios::binary);
  EXPECT_TRUE(in) << "data/winapp2/Winapp2.ini";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using CommunityRealFile = CommunityTest;

TEST_F(CommunityRealFile, SkipsOnlyLinesThatTrulyCannotBeUsed) {
  const Definitions read = community::ReadDefinitions(ShippedFile());
  EXPECT_TRUE(read.skipped.empty()) << read.skipped.front().why;
  // A folder without masks, masks left out before a flag, a variable without its end, a
  // FileKey's form where a path was meant: what such a line means is a guess, and nothing
  // is guessed.
  const std::set<std::string> cannot_use = {
      "no \"|\" and file masks after the folder", "no file mask before RECURSE",
      "no file mask before REMOVESELF", "the variable at the start has no closing \"%\"",
      "\"|\" has no place in a path"};
  std::size_t lines = 0, skipped = 0;
  for (const community::Entry& entry : read.entries) {
    lines += entry.detect_keys.size() + entry.detect_paths.size() + entry.file_keys.size() +
             entry.reg_keys.size() + entry.exclusions.size();
    for (const community::SkippedLine& line : entry.skipped) {
      ++skipped;
      std::cout << "skipped: line " << line.line << " [" << entry.name << "] " << line.text << ": "
                << line.why << '\n';
      EXPECT_TRUE(cannot_use.contains(line.why)) << line.line << ": " << line.why;
    }
  }
  std::cout << read.entries.size() << " entries, " << lines << " lines used, " << skipped
            << " skipped\n";
  EXPECT_GT(read.entries.size(), 4000u);
}

// Whatever an entry names, its folder actions start from a folder of this machine and go
// down by names, never up.
TEST_F(CommunityRealFile, EveryEntryCompilesIntoActionsBelowTheMachinesFolders) {
  const Definitions read = community::ReadDefinitions(ShippedFile());
  const community::VariableValues values = Values();
  std::set<std::string> bases;
  for (std::size_t i = 0; i < community::kVariableCount; ++i)
    for (const std::string& folder : values.Folders(static_cast<Variable>(i)))
      bases.insert(folder.size() == 2 ? folder + "\\" : folder);
  std::size_t actions = 0;
  for (const community::Entry& entry : read.entries) {
    for (const Action& action : community::CompileEntry(entry, values)) {
      ++actions;
      const auto* clean = std::get_if<CleanFolder>(&action);
      if (clean == nullptr) continue;
      EXPECT_TRUE(bases.contains(clean->where.folder)) << entry.name << ": " << clean->where.folder;
      for (const Segment& segment : clean->where.segments) {
        const std::string name =
            segment.kind == SegmentKind::Each ? segment.pattern : segment.names.at(0);
        EXPECT_NE(name.find_first_not_of(". "), std::string::npos) << entry.name;
      }
    }
  }
  std::cout << actions << " actions\n";
}

}  // namespace
}  // namespace morvel::community_test
