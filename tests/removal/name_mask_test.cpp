#include "engine/name_mask.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

struct MaskCase {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(NameMask, MatchesAsTheCleanersExpect) {
  const MaskCase cases[] = {
      // Exact names keep their letter case.
      {"memory.dmp", "memory.dmp", true},
      {"memory.dmp", "MEMORY.DMP", false},
      {"memory.dmp", "memory.dmp.bak", false},
      // One star: prefix and suffix ignore case.
      {"File*.chk", "FILE0000.CHK", true},
      {"File*.chk", "file0001.chk", true},
      {"File*.chk", "FILE0000.CHK.BAK", false},
      {"File*.chk", "File.chk", true},
      {"File*.chk", "Fil.chk", false},
      {"*.dmp", "mini.DMP", true},
      {"*.dmp", "dmp", false},
      {"cookies*", "Cookies.sqlite", true},
      // Prefix and suffix may overlap.
      {"ab*ba", "aba", true},
      {"ab*ba", "ab", false},
      // "*.*" and "*" take every name, also one without a dot.
      {"*.*", "README", true},
      {"*", "README", true},
      {"*", "", true},
      // Only the first star is a wildcard; "?" is a plain character.
      {"a*b*c", "aXXb*c", true},
      {"a*b*c", "aXXbYc", false},
      {"a?c", "abc", false},
      {"a?c", "a?c", true},
      {"*.t?t", "x.T?T", true},
      // Letters outside ASCII are compared as bytes.
      {"\xc3\xa9*", "\xc3\x89t\xc3\xa9", false},
      {"", "", true},
      {"", "x", false},
  };
  for (const MaskCase& c : cases)
    EXPECT_EQ(NameMask(c.mask).Matches(c.name), c.matches)
        << "mask \"" << c.mask << "\", name \"" << c.name << "\"";
}

TEST(NameMask, WideMasksAreEmptyOrStarred) {
  EXPECT_TRUE(NameMask("").IsWide());
  EXPECT_TRUE(NameMask("*.tmp").IsWide());
  EXPECT_TRUE(NameMask("x*").IsWide());
  EXPECT_FALSE(NameMask("memory.dmp").IsWide());
}

}  // namespace
}  // namespace morvel
