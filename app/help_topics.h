#pragma once
// The pages of the help file (Morvel.chm) that F1 opens, one for each window: each is a
// page of data/help/topics.txt, which the help file's tests hold them to.

#include <string_view>

namespace morvel::app {

inline constexpr std::string_view kHelpWelcome = "welcome.htm";
inline constexpr std::string_view kHelpTestAndClean = "test-and-clean.htm";
inline constexpr std::string_view kHelpSettings = "settings.htm";
inline constexpr std::string_view kHelpCustomList = "custom-list.htm";
inline constexpr std::string_view kHelpCookiesManager = "cookies-manager.htm";
inline constexpr std::string_view kHelpIndexDatViewer = "index-dat-viewer.htm";
inline constexpr std::string_view kHelpTopicsOfWindows[] = {
    kHelpWelcome,    kHelpTestAndClean,   kHelpSettings,
    kHelpCustomList, kHelpCookiesManager, kHelpIndexDatViewer};

}  // namespace morvel::app
