#include "platform/emulated/emulated_events.h"

#include <chrono>
#include <system_error>

#include "common/text.h"
#include "platform/emulated/machine.h"
#include "platform/emulated/store_file.h"

namespace morvel::platform::emulated {

namespace {

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return line;
}

}  // namespace

Status EmulatedEventLog::Report(const Event& event) {
  std::string line = UtcTimeText(std::chrono::system_clock::now()) + '\t' +
                     EventLevelName(event.level) + '\t' + OneLine(event.source) + '\t' +
                     std::to_string(event.id);
  for (const std::string& text : event.strings) line += '\t' + OneLine(text);
  try {
    std::string bytes = ReadStoreFile(file_).value_or(std::string());
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    WriteStoreFile(file_, bytes + line + "\r\n");
  } catch (const MachineImageError&) {
    return Status::Error(ErrorKind::Other);
  }
  return Status::Ok();
}

}  // namespace morvel::platform::emulated
