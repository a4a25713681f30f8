#pragma once
// The part of the demo image that the shipped definition file cleans: the installed
// programs' Uninstall entries, and the histories, logs and caches they and Windows leave,
// each at the place the real program writes it. Things a program keeps that are not
// traces (its settings, saved sessions) are there too, so a run shows they stay.

#include <filesystem>
#include <string>

namespace morvel::cli {

// Registry keys in regedit's text form (UTF-8, LF line ends, no header line), to be
// appended to the image's registry.reg.
std::string DemoTraceRegistry();

// Writes the trace files below `c`, the folder of drive C:.
void WriteDemoTraceFiles(const std::filesystem::path& c);

}  // namespace morvel::cli
