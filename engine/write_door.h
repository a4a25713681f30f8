#pragma once
// The one door every file a run writes in place goes through: the overwrite before a
// deletion, the index.dat wipe and Wininit.ini (the browsers' databases pass the same
// judgement inside their held folder, stores/sqlite_held_vfs.h). A link is never
// written through, and a file with a second name (hard link) is never written at all, since
// its data is the other name's too. A step that meets either skips the file, and says so
// in the log unless it is one that never reports (the overwrite before a deletion).

#include <memory>
#include <string_view>

#include "engine/run_context.h"

namespace morvel {

// How the door opens a file.
enum class WriteSharing {
  Exclusive,  // nobody else may have it open (CreateFile share 0)
  ReadWrite,  // shared with another program that shares reading and writing (a browser)
};

// Whether a refused file gets a log line.
enum class WriteRefusal { Logged, Quiet };

// The existing plain file `path`, opened for writing. nullptr when it is missing, in use or
// cannot be opened (quietly: the step ends as it would for a locked file), or when it is a
// link or has more than one name (with the line "<prefix>skipping <path>: ..." when asked).
std::unique_ptr<platform::FileWriter> OpenForWriting(RunContext& run, std::string_view path,
                                                     WriteSharing sharing,
                                                     WriteRefusal refusal = WriteRefusal::Logged);

// The door's decision on a file opened for writing by a port operation that never follows
// a link (the opening of a file in a held folder): `opened` itself when it has one name,
// else nullptr as above.
std::unique_ptr<platform::FileWriter> PassWriteDoor(
    RunContext& run, std::string_view path,
    platform::Result<std::unique_ptr<platform::FileWriter>> opened, WriteRefusal refusal);

// The same decision for a file that is written by replacing it (Wininit.ini): true when
// `path` is missing or a plain file with one name that nobody holds; false otherwise (with
// the line for a link or a second name when asked). The file is held exclusively for the
// decision only.
bool MayWrite(RunContext& run, std::string_view path, WriteRefusal refusal = WriteRefusal::Logged);

}  // namespace morvel
