#include "engine/community/categories.h"

#include <array>

namespace morvel::community {

namespace {

struct CategoryRow {
  long long number;
  std::string_view text;
};

constexpr std::array<CategoryRow, 14> kCategories = {{
    {3006, "Microsoft Edge"},
    {3021, "Applications"},
    {3022, "Internet"},
    {3023, "Multimedia"},
    {3024, "Utilities"},
    {3025, "Windows"},
    {3026, "Firefox"},
    {3027, "Opera"},
    {3028, "Safari"},
    {3029, "Google Chrome"},
    {3030, "Thunderbird"},
    {3031, "Windows Store"},
    {3033, "Vivaldi"},
    {3034, "Brave"},
}};

}  // namespace

std::string_view CategoryOfNumber(long long number) {
  for (const CategoryRow& row : kCategories)
    if (row.number == number) return row.text;
  return kDefaultCategory;
}

}  // namespace morvel::community
