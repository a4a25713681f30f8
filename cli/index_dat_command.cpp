#include "cli/index_dat_command.h"

#include <ostream>

#include "common/text.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"

namespace morvel::cli {

bool HasDatExtension(std::string_view path) {
  // The extension starts at the last dot of the last name: after any "\", "/" or drive ":".
  const std::size_t name = path.find_last_of("\\/:");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return false;
  return UpperCase(path.substr(dot)) == ".DAT";
}

int IndexDatCommand(platform::Port& port, std::string_view file, const Streams& io) {
  const auto entry = port.files.Stat(file);
  if (!entry.ok() || entry.value.IsFolder() || !HasDatExtension(file)) {
    io.err << "Please enter the correct index.dat file name.\n";
    return 1;
  }
  IndexDatRows rows;
  const auto status = ReadIndexDatFile(port.files, file, 0, rows, nullptr);
  if (!status.ok()) {
    io.err << "morvel: " << file << ": cannot be read (" << platform::ErrorKindName(status.kind)
           << ")\n";
    return 1;
  }
  for (std::size_t i = 0; i < rows.size(); ++i)
    io.out << rows.Url(i) << '\t' << LastModifiedText(port.system, rows.FileTime(i)) << '\n';
  io.out << "Total Record: " << rows.size() << '\n';
  return 0;
}

}  // namespace morvel::cli
