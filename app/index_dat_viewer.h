#pragma once
// frmIndexDatViewer's controller: the default file, which names Show accepts, the read with
// its progress, and the rows the virtual list view asks for. The Win32 dialog moves the
// file name in and the rows out, and lets window messages through while a read runs.
//
// A read runs on the dialog's thread and lets messages through, so Show and Close can come
// in the middle of one: Show stops it and reads the file then named, Close stops it and no
// other starts. The list view is told of the rows only once a read has ended, and is told
// of none while one runs, so it never asks for a row that is being made or was released.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/product.h"
#include "platform/file_system.h"
#include "platform/system_info.h"
#include "stores/index_dat_reader.h"
#include "stores/index_dat_rows.h"

namespace morvel::app {

inline constexpr std::string_view kIndexDatViewerCaption = MORVEL_INDEXDAT_CAPTION;
inline constexpr std::string_view kIndexDatRefusal =
    "Please enter the correct index.dat file name.";
inline constexpr std::string_view kIndexDatHint = "Double click the item to link to the URL";

// Whether `path` ends in a file name whose extension, upper-cased, is ".DAT".
bool HasDatExtension(std::string_view path);
// What Show reads: an existing file (not a folder) whose extension is ".DAT" in any case.
bool IsIndexDatFileName(const platform::FileSystem& files, std::string_view path);

// The file the viewer starts with: the Internet cache folder (after ending the browser
// session), a "\", and "Content.IE5\index.dat", whether or not that file exists.
std::string DefaultIndexDatPath(platform::SystemInfo& system);

// What the controller asks of the dialog.
class IndexDatViewerView {
 public:
  virtual ~IndexDatViewerView() = default;
  // The refusal message box; the focus then goes to the file name.
  virtual void ShowRefusal() = 0;
  // A read starts: the list view holds no rows, the line gives way to the bar, at 0.
  virtual void BeginRead() = 0;
  virtual void SetProgress(int percent) = 0;
  // Lets at most one waiting window message through, so the dialog keeps answering.
  virtual void LetMessageThrough() = 0;
  // A read ended: the list view's row count, and the total's text.
  virtual void ShowRows(std::size_t count, std::string_view total) = 0;
};

class IndexDatViewer final : private IndexDatProgress {
 public:
  IndexDatViewer(const platform::FileSystem& files, const platform::SystemInfo& system,
                 IndexDatViewerView& view)
      : files_(files), system_(system), view_(view) {}

  // Show with the file name as it stands. Refused with the message (the rows shown stay)
  // unless IsIndexDatFileName; otherwise the rows are replaced by the file's. During a read
  // it stops that read, which then reads `path` instead.
  void OnShow(std::string path);
  // The dialog is closing: a read under way stops at its next entry, and none starts.
  void OnClose();
  [[nodiscard]] bool reading() const { return reading_; }

  // The rows the list view was told of, and row `row` of them (rows beyond give "" and 0).
  [[nodiscard]] std::size_t RowCount() const { return shown_; }
  [[nodiscard]] std::string_view Url(std::size_t row) const;
  [[nodiscard]] std::string LastModified(std::size_t row) const;
  [[nodiscard]] int ImageIndex(std::size_t row) const;
  // The URL a double-click on `row` opens; nullopt for no row (-1 or beyond).
  [[nodiscard]] std::optional<std::string> UrlToOpen(long long row) const;

 private:
  void Read(const std::string& path);
  void MoveTo(int percent) override { view_.SetProgress(percent); }
  bool BeforeEntry() override { return Answer(); }
  bool Working() override { return Answer(); }
  // Lets the dialog answer; whether the read goes on.
  bool Answer();

  const platform::FileSystem& files_;
  const platform::SystemInfo& system_;
  IndexDatViewerView& view_;
  IndexDatRows rows_;
  std::size_t shown_ = 0;
  bool reading_ = false;
  bool stop_ = false;
  bool closing_ = false;
  std::optional<std::string> next_;  // asked for during a read
};

}  // namespace morvel::app
