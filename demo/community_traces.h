#pragma once
// The part of the demo image that the community's definitions (Winapp2.ini) clean: traces
// of a dozen programs of today (Microsoft Edge, Brave and Vivaldi, Discord, Visual Studio
// Code, Spotify, Steam, Zoom, Slack, Telegram Desktop, OBS Studio, Microsoft Teams), each
// where the real program writes it and beside what the program keeps that is no trace.

#include <filesystem>
#include <string>

namespace morvel::cli {

// Registry keys in regedit's text form, to be appended to the image's registry.reg.
std::string DemoCommunityRegistry();

// Writes the trace files below `c`, the folder of drive C:.
void WriteDemoCommunityFiles(const std::filesystem::path& c);

}  // namespace morvel::cli
