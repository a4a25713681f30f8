// Cookies.dat as the cleaner and the Cookies Manager read it, and a cookie file's records
// as WinINet writes them.
#include "engine/cleaners/cookie_keep_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cleaners/cookie_file.h"

namespace morvel {
namespace {

TEST(CookieKeepList, NamesAndSitesOfKeysBelowTheirCountsInNumberOrder) {
  using Kept = std::vector<KeptCookie>;
  const struct {
    const char* name;
    const char* file;
    Kept kept;
  } cases[] = {
      {"a shorter list saved over a longer one",
       "[Cookies to keep]\r\nCount=2\r\n0=a@x[1].txt\r\n1=b@y[1].txt\r\n2=c\r\n3=d\r\n4=e\r\n",
       {{"a@x[1].txt", ""}, {"b@y[1].txt", ""}}},
      {"keys out of order",
       "[Cookies to keep]\r\n1=second\r\nCount=2\r\n0=first\r\n",
       {{"first", ""}, {"second", ""}}},
      {"empty values skipped",
       "[Cookies to keep]\r\nCount=3\r\n0=\r\n1=kept\r\n2=  \r\n",
       {{"kept", ""}}},
      {"a Count beyond the keys present",
       "[Cookies to keep]\r\nCount=2000000000\r\n7=seven\r\n",
       {{"seven", ""}}},
      // A count that says nothing readable keeps every numbered key there is: a cookie
      // that is not kept is deleted.
      {"no Count", "[Cookies to keep]\r\n0=a\r\n", {{"a", ""}}},
      {"a Count too large to read",
       "[Cookies to keep]\r\nCount=99999999999999999999999\r\n0=a\r\n3=d\r\n",
       {{"a", ""}, {"d", ""}}},
      {"a Count that is no number", "[Cookies to keep]\r\nCount=many\r\n1=b\r\n", {{"b", ""}}},
      {"no section", "[Other]\r\nCount=1\r\n0=a\r\n", {}},
      {"keys that are not plain numbers",
       "[Cookies to keep]\r\nCount=5\r\n01=a\r\n-1=b\r\nx=c\r\nSite=d\r\nSite01=e\r\n",
       {}},
      {"letter case kept, section and key names in any case",
       "[COOKIES TO "
       "KEEP]\r\ncount=1\r\n0=User@Site[1].txt\r\nsitecount=1\r\nSITE0=Mail.Example\r\n",
       {{"User@Site[1].txt", "Mail.Example"}}},
      {"sites paired with names by number",
       "[Cookies to keep]\r\nCount=2\r\n0=A.txt\r\n1=B.txt\r\nSiteCount=2\r\nSite0=a.example\r\n"
       "Site1=\r\n",
       {{"A.txt", "a.example"}, {"B.txt", ""}}},
      {"a site without a name, and one at or above SiteCount",
       "[Cookies to keep]\r\nCount=0\r\nSiteCount=1\r\nSite0=a.example\r\nSite1=b.example\r\n",
       {{"", "a.example"}}},
      {"an empty file", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCookieKeepList(c.file).cookies, c.kept) << c.name;
  EXPECT_EQ(ParseCookieKeepList("[Cookies to keep]\r\nCount=2\r\n0=a\r\nSite1=s\r\n").Names(),
            std::vector<std::string>{"a"});
}

TEST(CookieKeepList, ASiteIsKeptWithoutRegardToCase) {
  const CookieKeepList list = ParseCookieKeepList(
      "[Cookies to keep]\r\nCount=1\r\n0=A.txt\r\nSiteCount=1\r\nSite0=Mail.Example.com\r\n");
  EXPECT_TRUE(list.KeepsSite("mail.example.com"));
  EXPECT_FALSE(list.KeepsSite("example.com"));
  EXPECT_FALSE(list.KeepsSite(""));
  EXPECT_FALSE(ParseCookieKeepList("[Cookies to keep]\r\nCount=1\r\n0=A.txt\r\n").KeepsSite(""));
}

// Two cookies of one site in one file, as WinINet writes them (LF line ends).
constexpr const char* kTwoCookies =
    "id\n42\nmail.example.com/\n1024\n2916341504\n31193611\n1588430720\n30918442\n*\n"
    "lang\nen\nmail.example.com/inbox\n0\n0\n0\n0\n0\n*\n";

TEST(CookieFile, RecordsAndTheSiteOfTheFirst) {
  const std::vector<CookieRecord> records = ParseCookieRecords(kTwoCookies);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, "id");
  EXPECT_EQ(records[0].value, "42");
  EXPECT_EQ(records[0].site_path, "mail.example.com/");
  EXPECT_EQ(records[0].expires, (31193611ULL << 32) | 2916341504ULL);
  EXPECT_EQ(records[1].site_path, "mail.example.com/inbox");

  const struct {
    const char* text;
    const char* site;
  } sites[] = {
      {kTwoCookies, "mail.example.com"},
      {"id\r\n1\r\n.Example.COM/\r\n0\r\n0\r\n0\r\n0\r\n0\r\n*\r\n", "example.com"},
      {"id\r\n1\r\nlocalhost:8080/\r\n0\r\n0\r\n0\r\n0\r\n0\r\n*", "localhost:8080"},
      {"id\n1\nbad host/\n0\n0\n0\n0\n0\n*\n", ""},         // no host has a blank
      {"id\n1\nexample.com/\n0\n0\n0\n0\n0\nx\n", ""},      // no record's end
      {"id\n1\nexample.com/\nflags\n0\n0\n0\n0\n*\n", ""},  // no number
      {"id\n1\nexample.com/\n0\n0\n0\n0\n", ""},            // cut short
      {"x", ""},
      {"", ""},
  };
  for (const auto& s : sites) EXPECT_EQ(CookieSite(s.text), s.site) << s.text;
}

}  // namespace
}  // namespace morvel
