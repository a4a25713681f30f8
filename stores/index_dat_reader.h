#pragma once
// The index.dat reader: walks the chain of hash tables of an Internet Explorer cache,
// history or cookie index and lists the URL of every "URL ", "LEAK" and "REDR" record
// with its time stamp. It only reads; the file is never changed.
//
// Used by the index.dat viewer dialog and by `morvel index-dat FILE`.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace morvel {

// The viewer's two lists: row i of the list view shows urls[i] and times[i].
struct IndexDatUrl {
  std::string
      text;  // one character per byte of the file, as UTF-8 (bytes 0x80-0xFF are U+0080-U+00FF)
  int image_index = 0;
};
struct IndexDatLists {
  std::vector<IndexDatUrl> urls;
  std::vector<std::string> times;
};

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
};

// FILETIME (UTC) -> the "Last Modified" text of a row; see index_dat_time.h.
using IndexDatTimeText = std::function<std::string(std::uint64_t filetime)>;

// Walks the open file and appends one URL (with `image_index`) and one time text per URL
// found. Damaged content never leads a read outside the file: bad offsets, truncated
// records and tables, loops in the table chain and counts larger than the file end the walk
// or skip the entry quietly. `progress` may be null.
void ReadIndexDat(const platform::FileReader& file, int image_index,
                  const IndexDatTimeText& time_text, IndexDatLists& lists,
                  IndexDatProgress* progress);

// Opens `path` shared for reading and writing (so a file the browser holds open can be
// read) and reads it as above. When it cannot be opened, returns the reason at once and
// leaves the lists and the bar as they were.
platform::Status ReadIndexDatFile(const platform::FileSystem& files, std::string_view path,
                                  int image_index, const IndexDatTimeText& time_text,
                                  IndexDatLists& lists, IndexDatProgress* progress);

}  // namespace morvel
