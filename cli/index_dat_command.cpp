#include "cli/index_dat_command.h"

#include <ostream>

#include "app/index_dat_viewer.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_time.h"

namespace morvel::cli {

int IndexDatCommand(platform::Port& port, std::string_view file, const Streams& io) {
  if (!app::IsIndexDatFileName(port.files, file)) {
    io.err << app::kIndexDatRefusal << "\n";
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
