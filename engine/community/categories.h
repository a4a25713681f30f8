#pragma once
// The categories of the community's definitions. An entry names its category by number
// (LangSecRef=, the table below) or in its own words (Section=).

#include <string>
#include <string_view>

namespace morvel::community {

// The category of LangSecRef `number`: 3006 "Microsoft Edge", 3021 "Applications",
// 3022 "Internet", 3023 "Multimedia", 3024 "Utilities", 3025 "Windows", 3026 "Firefox",
// 3027 "Opera", 3028 "Safari", 3029 "Google Chrome", 3030 "Thunderbird", 3031 "Windows
// Store", 3033 "Vivaldi", 3034 "Brave"; any other number "Applications".
std::string_view CategoryOfNumber(long long number);

// Where an entry without LangSecRef or Section goes.
inline constexpr std::string_view kDefaultCategory = "Applications";

}  // namespace morvel::community
