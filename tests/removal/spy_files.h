#pragma once
// A file system in front of a real one that records what the primitives ask of it: the
// writes of each exclusive open, shell deletions and folder removals. It can also list
// extra entries in every folder, as a misbehaving file system might, and refuse files of
// chosen names as Windows refuses a file whose rights forbid it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace morvel::removal_test {

struct RecordedWrite {
  std::uint64_t offset = 0;
  std::size_t size = 0;
  int value = -1;        // the first byte
  bool uniform = false;  // every byte equal to the first
};

struct RecordedOpen {
  std::string path;
  std::vector<RecordedWrite> writes;
  int flushes = 0;
};

class SpyFiles final : public platform::FileSystem {
 public:
  explicit SpyFiles(platform::FileSystem& real) : real_(real) {}

  platform::Status Enumerate(
      std::string_view folder,
      const std::function<bool(const platform::FileEntry&)>& visit) const override {
    bool more = true;
    const platform::Status status =
        real_.Enumerate(folder, [&](const platform::FileEntry& e) { return more = visit(e); });
    for (const platform::FileEntry& e : extra_entries)
      if (more) more = visit(e);
    return status;
  }
  platform::Result<platform::FileEntry> Stat(std::string_view path) const override {
    return real_.Stat(path);
  }
  platform::Result<std::string> ReadFile(std::string_view path) const override {
    return real_.ReadFile(path);
  }
  platform::Status WriteFile(std::string_view path, std::string_view bytes) override {
    return real_.WriteFile(path, bytes);
  }
  platform::Status CreateFolder(std::string_view path) override { return real_.CreateFolder(path); }
  platform::Result<std::unique_ptr<platform::FileReader>> OpenForReading(
      std::string_view path) const override {
    return real_.OpenForReading(path);
  }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenExclusive(
      std::string_view path) override {
    return Recorded(path, real_.OpenExclusive(path));
  }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenToOverwrite(
      std::string_view path) override {
    return Recorded(path, real_.OpenToOverwrite(path));
  }
  platform::Result<std::string> FinalPath(std::string_view path) const override {
    return real_.FinalPath(path);
  }
  platform::Result<std::unique_ptr<platform::FileWriter>> OpenSharedForWriting(
      std::string_view path) override {
    return real_.OpenSharedForWriting(path);
  }
  std::string ShortPathName(std::string_view path) const override {
    return real_.ShortPathName(path);
  }
  platform::Result<std::unique_ptr<platform::FolderHandle>> OpenFolder(
      std::string_view final_path) override {
    return Spied(real_.OpenFolder(final_path));
  }
  platform::Status ShellDelete(std::string_view path) override {
    deleted.emplace_back(path);
    return real_.ShellDelete(path);
  }
  platform::Status RemoveFolder(std::string_view path) override {
    removed_folders.emplace_back(path);
    return real_.RemoveFolder(path);
  }
  platform::Status DeleteOnReboot(std::string_view path) override {
    return real_.DeleteOnReboot(path);
  }
  platform::Status EmptyRecycleBins() override { return real_.EmptyRecycleBins(); }
  platform::Result<platform::RecycleBinContents> QueryRecycleBin(char letter) const override {
    return real_.QueryRecycleBin(letter);
  }

  std::deque<RecordedOpen> opens;  // a deque: open writers keep pointing at their record
  std::vector<std::string> deleted;
  std::vector<std::string> removed_folders;
  std::vector<platform::FileEntry> extra_entries;
  std::set<std::string> denied;  // names of files that may be neither written nor deleted
  std::optional<std::uint64_t> reported_size;  // what writers say the length is

 private:
  // A held folder whose deletions, removals and opens are recorded by their whole paths.
  class Folder final : public platform::FolderHandle {
   public:
    Folder(std::unique_ptr<platform::FolderHandle> real, SpyFiles& spy)
        : real_(std::move(real)), spy_(spy) {}
    const std::string& Path() const override { return real_->Path(); }
    platform::Status Enumerate(
        const std::function<bool(const platform::FileEntry&)>& visit) const override {
      bool more = true;
      const platform::Status status =
          real_->Enumerate([&](const platform::FileEntry& e) { return more = visit(e); });
      for (const platform::FileEntry& e : spy_.extra_entries)
        if (more) more = visit(e);
      return status;
    }
    platform::Result<platform::FileEntry> StatEntry(std::string_view name) const override {
      return real_->StatEntry(name);
    }
    platform::Result<std::unique_ptr<platform::FolderHandle>> OpenSubFolder(
        std::string_view name) const override {
      return spy_.Spied(real_->OpenSubFolder(name));
    }
    platform::Status DeleteListedFile(std::string_view name) override {
      spy_.deleted.push_back(Below(name));
      if (spy_.denied.contains(std::string(name)))
        return platform::Status::Error(platform::ErrorKind::AccessDenied, 5);
      return real_->DeleteListedFile(name);
    }
    platform::Status RemoveSubFolder(std::string_view name) override {
      spy_.removed_folders.push_back(Below(name));
      return real_->RemoveSubFolder(name);
    }
    platform::Result<std::unique_ptr<platform::FileWriter>> OpenFileToOverwrite(
        std::string_view name) override {
      if (spy_.denied.contains(std::string(name)))
        return platform::Result<std::unique_ptr<platform::FileWriter>>::Failed(
            platform::ErrorKind::AccessDenied, 5);
      return spy_.Recorded(Below(name), real_->OpenFileToOverwrite(name));
    }
    platform::Result<std::unique_ptr<platform::DatabaseFile>> OpenDatabaseFile(
        std::string_view name, platform::FileOpening opening) override {
      return real_->OpenDatabaseFile(name, opening);
    }
    platform::Result<std::unique_ptr<platform::FileReader>> OpenListedFile(
        std::string_view name) const override {
      return real_->OpenListedFile(name);
    }

   private:
    std::string Below(std::string_view name) const { return Path() + "\\" + std::string(name); }
    std::unique_ptr<platform::FolderHandle> real_;
    SpyFiles& spy_;
  };

  platform::Result<std::unique_ptr<platform::FolderHandle>> Spied(
      platform::Result<std::unique_ptr<platform::FolderHandle>> opened) {
    if (!opened.ok()) return opened;
    return platform::Result<std::unique_ptr<platform::FolderHandle>>::Of(
        std::make_unique<Folder>(std::move(opened.value), *this));
  }

  class Writer final : public platform::FileWriter {
   public:
    Writer(std::unique_ptr<platform::FileWriter> real, RecordedOpen& record,
           std::optional<std::uint64_t> size)
        : real_(std::move(real)), record_(record), size_(size) {}
    platform::Result<std::uint64_t> Size() const override {
      if (size_) return platform::Result<std::uint64_t>::Of(*size_);
      return real_->Size();
    }
    platform::Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
      RecordedWrite write{offset, bytes.size(), -1, true};
      if (!bytes.empty()) write.value = static_cast<int>(bytes[0]);
      for (std::byte b : bytes) write.uniform = write.uniform && static_cast<int>(b) == write.value;
      record_.writes.push_back(write);
      return real_->WriteAt(offset, bytes);
    }
    platform::Status Flush() override {
      ++record_.flushes;
      return real_->Flush();
    }
    platform::Result<std::uint32_t> LinkCount() const override { return real_->LinkCount(); }

   private:
    std::unique_ptr<platform::FileWriter> real_;
    RecordedOpen& record_;
    std::optional<std::uint64_t> size_;
  };

  platform::Result<std::unique_ptr<platform::FileWriter>> Recorded(
      std::string_view path, platform::Result<std::unique_ptr<platform::FileWriter>> opened) {
    if (!opened.ok()) return opened;
    opens.push_back(RecordedOpen{std::string(path), {}, 0});
    return platform::Result<std::unique_ptr<platform::FileWriter>>::Of(
        std::make_unique<Writer>(std::move(opened.value), opens.back(), reported_size));
  }

  platform::FileSystem& real_;
};

}  // namespace morvel::removal_test
