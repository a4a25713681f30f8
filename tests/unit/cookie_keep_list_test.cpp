#include "engine/cleaners/cookie_keep_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvel {
namespace {

TEST(CookieKeepList, NamesOfKeysBelowCountInKeyOrder) {
  using Names = std::vector<std::string>;
  const struct {
    const char* name;
    const char* file;
    Names names;
  } cases[] = {
      {"a shorter list saved over a longer one",
       "[Cookies to keep]\r\nCount=2\r\n0=a@x[1].txt\r\n1=b@y[1].txt\r\n2=c\r\n3=d\r\n4=e\r\n",
       {"a@x[1].txt", "b@y[1].txt"}},
      {"keys out of order",
       "[Cookies to keep]\r\n1=second\r\nCount=2\r\n0=first\r\n",
       {"first", "second"}},
      {"empty values skipped",
       "[Cookies to keep]\r\nCount=3\r\n0=\r\n1=kept\r\n2=  \r\n",
       {"kept"}},
      {"a Count beyond the keys present",
       "[Cookies to keep]\r\nCount=2000000000\r\n7=seven\r\n",
       {"seven"}},
      // A Count that says nothing readable keeps every numbered name there is: a cookie
      // that is not kept is deleted.
      {"no Count", "[Cookies to keep]\r\n0=a\r\n", {"a"}},
      {"a Count too large to read",
       "[Cookies to keep]\r\nCount=99999999999999999999999\r\n0=a\r\n3=d\r\n",
       {"a", "d"}},
      {"a Count that is no number", "[Cookies to keep]\r\nCount=many\r\n1=b\r\n", {"b"}},
      {"no section", "[Other]\r\nCount=1\r\n0=a\r\n", {}},
      {"keys that are not plain numbers",
       "[Cookies to keep]\r\nCount=5\r\n01=a\r\n-1=b\r\nx=c\r\n",
       {}},
      {"letter case kept, section name in any case",
       "[COOKIES TO KEEP]\r\ncount=1\r\n0=User@Site[1].txt\r\n",
       {"User@Site[1].txt"}},
      {"an empty file", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCookieKeepList(c.file), c.names) << c.name;
}

}  // namespace
}  // namespace morvel
