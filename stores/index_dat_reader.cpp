#include "stores/index_dat_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

#include "stores/index_dat_cache.h"

namespace morvel {
namespace {

// File header.
constexpr std::uint64_t kFileSizeField = 28;
constexpr std::uint64_t kFirstTableField = 32;
// Hash table.
constexpr std::uint64_t kTableBlocksField = 4;
constexpr std::uint64_t kTableNextField = 8;
constexpr std::uint64_t kTableEntries = 32;
constexpr std::int64_t kTableBlockSize = 128;
constexpr std::uint64_t kEntrySize = 8;
constexpr std::uint64_t kEntryRecordField = 4;
// "URL " and "LEAK" records.
constexpr std::uint64_t kUrlTimeField = 16;
constexpr std::uint64_t kUrlTextOffsetField = 52;
// "REDR" records.
constexpr std::uint64_t kRedirectTimeField = 8;
constexpr std::uint64_t kRedirectText = 16;

// Tables already walked. A chain that comes back to one of them would loop for ever, so
// both passes end there. Few tables in a sound file: a set; a long chain in a damaged one
// switches to one bit per byte of the file so memory stays a fraction of its size.
class VisitedTables {
 public:
  explicit VisitedTables(std::uint64_t file_size) : file_size_(file_size) {}

  // False when `offset` (0 < offset <= file size) was visited before.
  bool Insert(std::uint64_t offset) {
    if (!bits_.empty()) {
      if (bits_[offset]) return false;
      bits_[offset] = true;
      return true;
    }
    if (!few_.insert(offset).second) return false;
    if (few_.size() > kFewLimit) {
      bits_.assign(file_size_ + 1, false);
      for (std::uint64_t o : few_) bits_[o] = true;
      few_.clear();
    }
    return true;
  }

 private:
  static constexpr std::size_t kFewLimit = 4096;
  std::uint64_t file_size_;
  std::unordered_set<std::uint64_t> few_;
  std::vector<bool> bits_;
};

// Each byte is one character; as UTF-8, bytes from 0x80 take two.
std::string BytesAsText(std::string bytes) {
  const auto high = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
  if (std::none_of(bytes.begin(), bytes.end(), high)) return bytes;
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (b >> 6)));
      text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return text;
}

class Walk {
 public:
  Walk(const platform::FileReader& file, int image_index, const IndexDatTimeText& time_text,
       IndexDatLists& lists, IndexDatProgress* progress)
      : cache_(file),
        image_index_(image_index),
        time_text_(time_text),
        lists_(lists),
        progress_(progress),
        entry_budget_(cache_.size() / kEntrySize),
        text_budget_(cache_.size()) {}

  void Run() {
    const auto header_size = Int32(kFileSizeField);
    const auto first = Int32(kFirstTableField);
    if (header_size && first) {
      header_size_ = *header_size;
      const std::int64_t total = CountEntries(*first);
      // Room for the rows up front, as many as the tables have entries, but never more than
      // records of 128 bytes could fill the file: growing 200,000 rows step by step costs
      // more than reading them.
      const auto rows = static_cast<std::size_t>(
          std::clamp<std::int64_t>(total, 0, static_cast<std::int64_t>(cache_.size() / 128)));
      lists_.urls.reserve(lists_.urls.size() + rows);
      lists_.times.reserve(lists_.times.size() + rows);
      if (!ListEntries(*first, total)) return;  // stopped from outside
    }
    if (position_ < 100) MoveTo(100);
  }

 private:
  static std::int32_t Le32(const std::byte* b) {
    const std::uint32_t v =
        std::to_integer<std::uint32_t>(b[0]) | std::to_integer<std::uint32_t>(b[1]) << 8 |
        std::to_integer<std::uint32_t>(b[2]) << 16 | std::to_integer<std::uint32_t>(b[3]) << 24;
    return static_cast<std::int32_t>(v);
  }

  static std::uint64_t Le64(const std::byte* b) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Le32(b + 4))) << 32 |
           static_cast<std::uint32_t>(Le32(b));
  }

  // A signature is the text of its four bytes up to the first zero byte.
  static std::string SignatureText(std::span<const std::byte> four) {
    std::string s;
    for (std::byte c : four) {
      if (c == std::byte{0}) break;
      s.push_back(static_cast<char>(c));
    }
    return s;
  }

  std::optional<std::int32_t> Int32(std::uint64_t offset) {
    std::array<std::byte, 4> b;
    if (!cache_.Read(offset, b)) return std::nullopt;
    return Le32(b.data());
  }

  // The four bytes at `offset` as a signature; empty when they are not all in the file.
  std::string Signature(std::uint64_t offset) {
    std::array<std::byte, 4> b;
    if (!cache_.Read(offset, b)) return {};
    return SignatureText(b);
  }

  bool IsTable(std::int64_t offset) const { return offset > 0 && offset <= header_size_; }

  // The progress total: entries of every table of the chain, as their block counts say.
  std::int64_t CountEntries(std::int32_t first) {
    std::int64_t total = 0;
    VisitedTables visited(cache_.size());
    for (std::int64_t table = first; IsTable(table);) {
      const auto at = static_cast<std::uint64_t>(table);
      const auto blocks = Int32(at + kTableBlocksField);
      const auto next = Int32(at + kTableNextField);
      if (!blocks || !next || !visited.Insert(at)) break;
      total += EntryCount(*blocks);
      table = *next;
    }
    return total;
  }

  static std::int64_t EntryCount(std::int32_t blocks) {
    return (std::int64_t{blocks} * kTableBlockSize - static_cast<std::int64_t>(kTableEntries)) /
           static_cast<std::int64_t>(kEntrySize);
  }

  // False when the progress hook asked to stop.
  bool ListEntries(std::int32_t first, std::int64_t total) {
    VisitedTables visited(cache_.size());
    std::int64_t done = 0;
    for (std::int64_t table = first; IsTable(table);) {
      const auto at = static_cast<std::uint64_t>(table);
      if (Signature(at) != "HASH") return true;
      const auto blocks = Int32(at + kTableBlocksField);
      const auto next = Int32(at + kTableNextField);
      if (!blocks || !next || !visited.Insert(at)) return true;
      const std::int64_t entries = EntryCount(*blocks);
      for (std::int64_t k = 0; k < entries; ++k) {
        const std::uint64_t entry = at + kTableEntries + static_cast<std::uint64_t>(k) * kEntrySize;
        // The rest of the table lies past the end of the file.
        if (entry > cache_.size() || cache_.size() - entry < kEntrySize) break;
        // In a sound file every entry is 8 bytes of its own; more entries than the file
        // holds means tables overlap, and walking them again would only repeat work.
        if (entry_budget_ == 0) return true;
        --entry_budget_;
        if (progress_ && !progress_->BeforeEntry()) return false;
        ++done;
        if (total > 0) {
          const std::int64_t percent = std::min<std::int64_t>(done * 100 / total, 100);
          if (percent > position_) MoveTo(static_cast<int>(percent));
        }
        if (!ReadEntry(entry)) return true;
      }
      table = *next;
    }
    return true;
  }

  // False when the walk must end (the texts outgrew the file).
  bool ReadEntry(std::uint64_t entry) {
    // One read for the entry and one for the head of its record: this runs for every
    // entry of the file.
    std::array<std::byte, kEntrySize> slot;
    if (!cache_.Read(entry, slot)) return true;
    const auto state = std::to_integer<std::uint8_t>(slot[0]);
    if (state == 1 || state == 3) return true;
    const std::int32_t record_offset = Le32(&slot[kEntryRecordField]);
    if (record_offset < 0 || record_offset >= header_size_) return true;
    const auto record = static_cast<std::uint64_t>(record_offset);

    std::array<std::byte, kUrlTextOffsetField + 1> head;
    const std::size_t held = static_cast<std::size_t>(
        std::min<std::uint64_t>(head.size(), cache_.size() - std::min(cache_.size(), record)));
    if (held < 4 || !cache_.Read(record, std::span(head).first(held))) return true;
    const std::string signature = SignatureText(std::span(head).first(4));
    std::uint64_t filetime = 0;
    std::uint64_t text_at = 0;
    if (signature == "URL " || signature == "LEAK") {
      if (held <= kUrlTextOffsetField) return true;
      filetime = Le64(&head[kUrlTimeField]);
      const auto text_offset = std::to_integer<std::uint8_t>(head[kUrlTextOffsetField]);
      if (text_offset == 0) return true;
      text_at = record + text_offset;
    } else if (signature == "REDR") {
      if (held < kRedirectTimeField + 8) return true;
      filetime = Le64(&head[kRedirectTimeField]);
      text_at = record + kRedirectText;
    } else {
      return true;
    }

    // Every text of a sound file is bytes of its own record, so all of them together fit
    // in the file. Entries that keep pointing at one long text would otherwise make the
    // lists grow with the square of the file's size.
    std::string bytes;
    const std::size_t limit =
        static_cast<std::size_t>(std::min<std::uint64_t>(text_budget_, SIZE_MAX - 1));
    if (cache_.ReadUntilZero(text_at, limit + 1, bytes) > limit) return false;
    if (bytes.empty()) return true;
    text_budget_ -= bytes.size();
    lists_.urls.push_back({BytesAsText(std::move(bytes)), image_index_});
    lists_.times.push_back(time_text_(filetime));
    return true;
  }

  void MoveTo(int percent) {
    position_ = percent;
    if (progress_) progress_->MoveTo(percent);
  }

  IndexDatCache cache_;
  int image_index_;
  const IndexDatTimeText& time_text_;
  IndexDatLists& lists_;
  IndexDatProgress* progress_;
  std::int32_t header_size_ = 0;
  int position_ = 0;
  std::uint64_t entry_budget_;
  std::uint64_t text_budget_;
};

}  // namespace

void ReadIndexDat(const platform::FileReader& file, int image_index,
                  const IndexDatTimeText& time_text, IndexDatLists& lists,
                  IndexDatProgress* progress) {
  Walk(file, image_index, time_text, lists, progress).Run();
}

platform::Status ReadIndexDatFile(const platform::FileSystem& files, std::string_view path,
                                  int image_index, const IndexDatTimeText& time_text,
                                  IndexDatLists& lists, IndexDatProgress* progress) {
  auto opened = files.OpenForReading(path);
  if (!opened.ok()) return opened.status;
  ReadIndexDat(*opened.value, image_index, time_text, lists, progress);
  return platform::Status::Ok();
}

}  // namespace morvel
