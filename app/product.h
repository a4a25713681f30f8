#pragma once
// The product's names, version, addresses and fixed texts, each written once. The
// resource script includes this file too (it sees the macros only), so the version
// resource, the dialogs' texts, the views, the command line and the window tests agree.

#define MORVEL_PRODUCT_NAME "Morvel"
#define MORVEL_VERSION_TEXT "3.0"
#define MORVEL_VERSION_NUMBERS 3, 0, 0, 0
#define MORVEL_VERSION_LINE "Version 3.0 (build 3.0.0.0)"
#define MORVEL_RELEASE_VERSION "3.0.0"
#define MORVEL_PUBLISHER "Quillon Software"
#define MORVEL_PUBLISHER_LINE "Powered by Quillon Software"
#define MORVEL_MAIN_WINDOW_CLASS "Morvel Made by Quillon Software"

#define MORVEL_ASK_CAPTION "Run Morvel"
#define MORVEL_ASK_WARNING "This process will permanently delete files from your system."
#define MORVEL_ASK_QUESTION "Are you sure you wish to proceed?"
#define MORVEL_ASK_ADVICE_1 "It's better to close all programs you want to clear their"
#define MORVEL_ASK_ADVICE_2 " history, the software can not delete the entries being used"
#define MORVEL_ASK_ADVICE_3 "by those programs such as Internet Explorer."
#define MORVEL_ASK_DONT_SHOW "Don't show me this message again"

#define MORVEL_COOKIES_CAPTION "Cookies Manager"
#define MORVEL_INDEXDAT_CAPTION "Index.dat file viewer"

#ifndef RC_INVOKED

#include <string_view>

namespace morvel::app {

inline constexpr std::string_view kProductName = MORVEL_PRODUCT_NAME;
inline constexpr std::string_view kVersionText = MORVEL_VERSION_TEXT;
inline constexpr std::string_view kVersionLine = MORVEL_VERSION_LINE;
// major.minor.build, as the installer and the run report name the version.
inline constexpr std::string_view kReleaseVersion = MORVEL_RELEASE_VERSION;
inline constexpr std::string_view kPublisherLine = MORVEL_PUBLISHER_LINE;
// The class under which the main window registers: also the single-instance test's key.
inline constexpr std::string_view kMainWindowClass = MORVEL_MAIN_WINDOW_CLASS;
inline constexpr std::string_view kTitleHint =
    "Clean up all traces of your PC and Internet activity";
inline constexpr std::string_view kTrayTip =
    "Left Click to activate Morvel\r\nRight Click to popup menu";

inline constexpr std::string_view kHomePage = "https://morvel.quillon.example/";
inline constexpr std::string_view kUpdatePage = "https://morvel.quillon.example/update";
inline constexpr std::string_view kDonatePage = "https://morvel.quillon.example/donate";
// The page on index.dat files that the index.dat viewer's "More Index.dat" opens.
inline constexpr std::string_view kIndexDatPage = "https://morvel.quillon.example/index-dat";
inline constexpr std::string_view kMakerSite = "https://www.quillon.example/";
inline constexpr std::string_view kSupportMail = "support@morvel.quillon.example";
inline constexpr std::string_view kHelpFile = "Morvel.chm";
// The switch Windows starts the program with at log-on (the autorun entry).
inline constexpr std::string_view kStartSwitch = "-Start";

// The confirmation before a removing run, as the dialog shows it line by line.
inline constexpr std::string_view kAskCaption = MORVEL_ASK_CAPTION;
inline constexpr std::string_view kAskWarning = MORVEL_ASK_WARNING;
inline constexpr std::string_view kAskQuestion = MORVEL_ASK_QUESTION;
inline constexpr std::string_view kAskAdvice[] = {MORVEL_ASK_ADVICE_1, MORVEL_ASK_ADVICE_2,
                                                  MORVEL_ASK_ADVICE_3};

}  // namespace morvel::app

#endif  // RC_INVOKED
