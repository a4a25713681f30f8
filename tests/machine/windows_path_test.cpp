#include "platform/emulated/windows_path.h"

#include <gtest/gtest.h>

namespace morvel::platform::emulated {
namespace {

struct PathCase {
  std::string_view text;
  const char* parsed;  // ToString() of the result; nullptr when InvalidArgument
};

class WindowsPathParse : public ::testing::TestWithParam<PathCase> {};

TEST_P(WindowsPathParse, Normalises) {
  const auto result = ParseWindowsPath(GetParam().text);
  if (GetParam().parsed == nullptr) {
    EXPECT_EQ(result.status.kind, ErrorKind::InvalidArgument) << result.value.ToString();
  } else {
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value.ToString(), GetParam().parsed);
  }
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsPathParse,
    ::testing::Values(PathCase{R"(C:\)", R"(C:\)"}, PathCase{"c:/", R"(C:\)"},
                      PathCase{R"(C:\Users\User)", R"(C:\Users\User)"},
                      PathCase{"d:/a//b\\\\c/", R"(D:\a\b\c)"},
                      PathCase{R"(C:\a\.\b\..\c)", R"(C:\a\c)"}, PathCase{R"(C:\a\..)", R"(C:\)"},
                      PathCase{R"(C:\notes. .\x )", R"(C:\notes\x)"},  // Win32 trims these
                      PathCase{R"(C:\..)", nullptr}, PathCase{R"(C:\a\..\..\b)", nullptr},
                      PathCase{"", nullptr}, PathCase{"C:", nullptr}, PathCase{"C:a", nullptr},
                      PathCase{R"(\Windows)", nullptr}, PathCase{R"(Windows\system32)", nullptr},
                      PathCase{R"(\\server\share\x)", nullptr}, PathCase{R"(1:\x)", nullptr},
                      PathCase{"C:\\a\0b"sv, nullptr}, PathCase{"C:\\a\tb", nullptr},
                      PathCase{R"(C:\a:stream)", nullptr}, PathCase{R"(C:\*.txt)", nullptr},
                      PathCase{R"(C:\a?)", nullptr}, PathCase{R"(C:\...)", nullptr}));

TEST(WindowsPath, SamePathIgnoresCaseOnly) {
  const auto a = ParseWindowsPath(R"(c:\USERS\user\)").value;
  EXPECT_TRUE(SamePath(a, ParseWindowsPath(R"(C:\Users\User)").value));
  EXPECT_FALSE(SamePath(a, ParseWindowsPath(R"(D:\Users\User)").value));
  EXPECT_FALSE(SamePath(a, ParseWindowsPath(R"(C:\Users)").value));
  EXPECT_FALSE(SamePath(a, ParseWindowsPath(R"(C:\Users\Usr)").value));
}

}  // namespace
}  // namespace morvel::platform::emulated
