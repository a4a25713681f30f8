#pragma once
// The index.dat wipe: overwrites the records of an Internet Explorer index in place,
// table by table along the same hash chain the reader walks. The file keeps its size and
// header, and every hash table its first 32 bytes; everything after them up to the next
// table (or the recorded end) becomes the fill byte.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace morvel {

// One pass over the open file: reads the header and chain through `in` and writes the
// fill byte through `out`. A chain that loops, points past the recorded size or the end
// of the file, or reaches a table without "HASH" ends the pass after the tables already
// wiped. Nothing is written outside the file as it is: a recorded size larger than the
// file is cut to the file, and a table's region ends where the next table begins.
// Returns false when a write failed (the pass stops there).
bool WipeIndexDatPass(const platform::FileReader& in, platform::FileWriter& out, std::uint8_t fill);

// The number of passes for the overwrite settings: OverwriteNumber when OverwriteFile is
// on, else none; then at least 1 and at most 3.
int IndexDatWipePasses(bool overwrite_file, int overwrite_number);

// Opens the file to be wiped for writing, shared for reading and writing as the browser
// holding it allows; nullptr when it may not or cannot be written.
using IndexDatWriterOpener = std::function<std::unique_ptr<platform::FileWriter>()>;
// Opens the same file for reading; nullptr when it cannot be read.
using IndexDatReaderOpener = std::function<std::unique_ptr<platform::FileReader>()>;

// Wipes the file with `passes` passes: a random fill byte from 0 to 254 for each pass but
// the last, zeros for the last. Each pass opens the file afresh: first for writing through
// `open_writer`, then for reading through `open_reader`. A file that is missing or cannot be
// opened ends the wipe quietly, as does any failure.
void WipeIndexDat(int passes, const IndexDatWriterOpener& open_writer,
                  const IndexDatReaderOpener& open_reader);

}  // namespace morvel
