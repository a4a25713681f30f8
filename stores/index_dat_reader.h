#pragma once
// The index.dat reader: walks the chain of hash tables of an Internet Explorer cache,
// history or cookie index and lists the URL of every "URL ", "LEAK" and "REDR" record
// with its time stamp. It only reads; the file is never changed.
//
// Used by the index.dat viewer dialog and by `morvel index-dat FILE`.

#include <string_view>

#include "platform/file_system.h"
#include "stores/index_dat_rows.h"

namespace morvel {

// Whoever shows the read. Both calls come on the reading thread.
class IndexDatProgress {
 public:
  virtual ~IndexDatProgress() = default;
  // The bar moves to `percent` (1..100): only forward, and to 100 at the end of a read.
  virtual void MoveTo(int percent) = 0;
  // Called for each hash entry, in order, before its row (if any) is appended. The dialog
  // lets one waiting window message through here so it keeps repainting; returning false
  // stops the read at once (the dialog is going away), leaving the rows found so far and
  // the bar where it is. Records are read ahead in batches of entries, so the calls come
  // in bursts, a few hundredths of a second apart on a large file.
  virtual bool BeforeEntry() { return true; }
  // Called every few hundred entries walked and records read ahead, work that comes
  // before a batch's BeforeEntry calls and takes a good part of a second on a large file:
  // the dialog lets waiting messages through here too, so that it keeps answering. False
  // stops the read as BeforeEntry does; the batch under way adds no row.
  virtual bool Working() { return true; }
};

// Walks the open file and appends one row (with `image_index`) per URL found, in entry
// order. The file is read in small direct reads at computed offsets, never whole; the
// records a batch of entries leads to are read in file order. Damaged content never leads
// a read outside the file: bad offsets, truncated records and tables, loops in the table
// chain and counts larger than the file end the walk or skip the entry quietly, and the
// rows never hold more than twice the file's size. `progress` may be null.
void ReadIndexDat(const platform::FileReader& file, int image_index, IndexDatRows& rows,
                  IndexDatProgress* progress);

// Opens `path` shared for reading and writing (so a file the browser holds open can be
// read) and reads it as above. When it cannot be opened, returns the reason at once and
// leaves the rows and the bar as they were.
platform::Status ReadIndexDatFile(const platform::FileSystem& files, std::string_view path,
                                  int image_index, IndexDatRows& rows, IndexDatProgress* progress);

}  // namespace morvel
