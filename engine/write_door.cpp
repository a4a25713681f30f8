#include "engine/write_door.h"

#include <string>

#include "engine/folder_guard.h"

namespace morvel {

std::unique_ptr<platform::FileWriter> OpenForWriting(RunContext& run, std::string_view path,
                                                     WriteSharing sharing, WriteRefusal refusal) {
  platform::FileSystem& files = run.port().files;
  return PassWriteDoor(run, path,
                       sharing == WriteSharing::Exclusive ? files.OpenToOverwrite(path)
                                                          : files.OpenSharedForWriting(path),
                       refusal);
}

std::unique_ptr<platform::FileWriter> PassWriteDoor(
    RunContext& run, std::string_view path,
    platform::Result<std::unique_ptr<platform::FileWriter>> opened, WriteRefusal refusal) {
  const bool logged = refusal == WriteRefusal::Logged;
  if (!opened.ok() || !opened.value) {
    if (opened.status.kind == platform::ErrorKind::Link && logged)
      LogSkipped(run, path, "a link is never written through");
    return nullptr;
  }
  const auto names = opened.value->LinkCount();
  if (!names.ok() || names.value != 1) {
    if (names.ok() && logged)
      LogSkipped(run, path, "a file with more than one name is never written");
    return nullptr;
  }
  return std::move(opened.value);
}

bool MayWrite(RunContext& run, std::string_view path, WriteRefusal refusal) {
  const auto entry = run.port().files.Stat(path);
  if (!entry.ok()) return entry.status.kind == platform::ErrorKind::NotFound;
  return OpenForWriting(run, path, WriteSharing::Exclusive, refusal) != nullptr;
}

}  // namespace morvel
