#include "app/index_dat_viewer.h"

#include <exception>
#include <utility>

#include "common/text.h"
#include "engine/cleaners/ie_support.h"
#include "engine/folder_lookups.h"
#include "stores/index_dat_time.h"

namespace morvel::app {

bool HasDatExtension(std::string_view path) {
  // The extension starts at the last dot of the last name: after any "\", "/" or drive ":".
  const std::size_t name = path.find_last_of("\\/:");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return false;
  return UpperCase(path.substr(dot)) == ".DAT";
}

bool IsIndexDatFileName(const platform::FileSystem& files, std::string_view path) {
  if (!HasDatExtension(path)) return false;
  const auto entry = files.Stat(path);
  return entry.ok() && !entry.value.IsFolder();
}

std::string DefaultIndexDatPath(platform::SystemInfo& system) {
  return WithBackslash(BrowserFolder(system, platform::SpecialFolder::InternetCache)) +
         "Content.IE5\\index.dat";
}

void IndexDatViewer::OnShow(std::string path) {
  if (closing_) return;
  if (reading_) {
    // From a message let through during a read: that read stops, and this one follows.
    next_ = std::move(path);
    stop_ = true;
    return;
  }
  std::optional<std::string> next = std::move(path);
  while (next && !closing_) {
    const std::string current = std::move(*next);
    next.reset();
    Read(current);
    next = std::exchange(next_, std::nullopt);
  }
}

void IndexDatViewer::OnClose() {
  closing_ = true;
  stop_ = true;
  next_.reset();
}

bool IndexDatViewer::Answer() {
  view_.LetMessageThrough();
  return !stop_;
}

void IndexDatViewer::Read(const std::string& path) {
  if (!IsIndexDatFileName(files_, path)) {
    view_.ShowRefusal();
    return;
  }
  shown_ = 0;
  view_.BeginRead();
  rows_.Clear();
  stop_ = false;
  {
    struct Reading {
      bool& flag;
      explicit Reading(bool& f) : flag(f) { flag = true; }
      ~Reading() { flag = false; }
    } reading(reading_);
    try {
      // A file that cannot be opened adds nothing: the bar stays at 0 and the total is 0.
      (void)ReadIndexDatFile(files_, path, 0, rows_, this);
    } catch (const std::exception&) {
      // Out of memory on a huge file: the rows found so far are shown.
    }
  }
  if (closing_) return;
  shown_ = rows_.size();
  view_.ShowRows(shown_, std::to_string(shown_));
}

std::string_view IndexDatViewer::Url(std::size_t row) const {
  return row < shown_ ? rows_.Url(row) : std::string_view();
}

std::string IndexDatViewer::LastModified(std::size_t row) const {
  return row < shown_ ? LastModifiedText(system_, rows_.FileTime(row)) : std::string();
}

int IndexDatViewer::ImageIndex(std::size_t row) const {
  return row < shown_ ? rows_.ImageIndex(row) : 0;
}

std::optional<std::string> IndexDatViewer::UrlToOpen(long long row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= shown_) return std::nullopt;
  return std::string(rows_.Url(static_cast<std::size_t>(row)));
}

}  // namespace morvel::app
