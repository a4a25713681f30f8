#pragma once
// What the Internet Explorer cleaners share: the browser's folders, the Windows version
// class that decides where its history lives, and the index.dat wipes.

#include <string>
#include <string_view>

#include "engine/run_context.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace morvel {

// Vista class: NT 6.0, 6.2, 6.3 (not 6.1); 9x class: Windows 95, 98 and Me (4.0, 4.10,
// 4.90 outside the NT family); every other system is neither.
enum class VersionClass { Vista, Win9x, Neither };
VersionClass VersionClassOf(const platform::WindowsVersion& version);

// One of the browser's shell folders (cache, cookies, history) after ending the browser
// session, without a trailing "\"; empty when the lookup fails. Every folder an Internet
// Explorer cleaner starts from comes through here.
std::string BrowserFolder(platform::SystemInfo& system, platform::SpecialFolder folder);
std::string BrowserFolder(RunContext& run, platform::SpecialFolder folder);

// The history's day-folder marker for the machine's local date: "MSHist01" and the date
// as yyyymmdd (MSHist0120261206 on 6 December 2026); empty when the date is unknown.
std::string TodaysHistoryMarker(RunContext& run);

// Wipes the index `name` of a held folder (shown in the log as `shown_folder`, with its
// trailing "\") in place, with the passes the overwrite settings give. Nothing in Test
// mode; a missing file or any failure ends it quietly; a link or a file with a second name
// is not written (the write door's line).
void WipeIndexDatFile(RunContext& run, const platform::FolderHandle& folder,
                      std::string_view shown_folder, std::string_view name);

// Wipes every file named "index.dat" (any letter case) in every sub-folder of the held
// folder `top`, at any depth, but not one lying directly in it. Sub-folders are entered
// inside their held parents, never through a link.
void WipeIndexDatTree(RunContext& run, platform::FolderHandle& top, const std::string& shown);

}  // namespace morvel
