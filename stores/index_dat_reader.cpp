#include "stores/index_dat_reader.h"

#include <algorithm>
#include <array>
#include <optional>

#include "stores/index_dat_cache.h"
#include "stores/index_dat_chain.h"

namespace morvel {
namespace {

using index_dat::kFileSizeField;
using index_dat::kFirstTableField;
using index_dat::Le32;
// The entries follow the 16-byte table header (signature, blocks, next table, a sequence
// number). Starting at 32 would skip the first two entries of every table, and WinINet
// does fill them.
constexpr std::uint64_t kTableEntries = 16;
constexpr std::int64_t kTableBlockSize = 128;
constexpr std::uint64_t kEntrySize = 8;
constexpr std::uint64_t kEntryRecordField = 4;
// "URL " and "LEAK" records.
constexpr std::uint64_t kUrlTimeField = 16;
constexpr std::uint64_t kUrlTextOffsetField = 52;
// "REDR" records.
constexpr std::uint64_t kRedirectTimeField = 8;
constexpr std::uint64_t kRedirectText = 16;

// Each byte is one character; as UTF-8, bytes from 0x80 take two.
std::string BytesAsText(std::string_view bytes) {
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

// An entry that leads to a record, waiting in a batch, and what the record holds.
struct Pending {
  std::uint64_t record = 0;
  std::uint64_t entry = 0;  // number of the entry in walk order
  std::uint64_t filetime = 0;
  std::string bytes;
  bool read = false;
  bool row = false;
  bool ascii = true;  // no byte from 0x80: the text is its own UTF-8
};

// Entries that lead to records are read in batches of this many: 128 Ki of them take
// about 8 MiB, whatever the size of the file.
constexpr std::size_t kBatch = std::size_t{1} << 17;

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
      if (ListEntries(*first, total) == Walked::Stopped) return;
    }
    if (position_ < 100) MoveTo(100);
  }

 private:
  static std::uint64_t Le64(const std::byte* b) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Le32(b + 4))) << 32 |
           static_cast<std::uint32_t>(Le32(b));
  }

  std::optional<std::int32_t> Int32(std::uint64_t offset) {
    return index_dat::ReadInt32(*this, offset);
  }

 public:
  // The cache as the chain walk reads it.
  bool operator()(std::uint64_t offset, std::span<std::byte> out) {
    return cache_.Read(offset, out);
  }

 private:
  // The progress total: entries of every table of the chain, as their block counts say.
  // This pass does not test the "HASH" signature.
  std::int64_t CountEntries(std::int32_t first) {
    std::int64_t total = 0;
    index_dat::WalkHashChain(*this, cache_.size(), header_size_, first,
                             index_dat::Signed::NotTested, [&](const index_dat::HashTable& t) {
                               total += EntryCount(t.blocks);
                               return true;
                             });
    return total;
  }

  static std::int64_t EntryCount(std::int32_t blocks) {
    return (std::int64_t{blocks} * kTableBlockSize - static_cast<std::int64_t>(kTableEntries)) /
           static_cast<std::int64_t>(kEntrySize);
  }

  enum class Walked { On, Ended, Stopped };

  Walked ListEntries(std::int32_t first, std::int64_t total) {
    const Walked walked = WalkTables(first, total);
    return walked == Walked::On ? Flush(total) : walked;
  }

  // Visits the entries of the chain in order and queues those that lead to a record.
  Walked WalkTables(std::int32_t first, std::int64_t total) {
    Walked walked = Walked::On;
    index_dat::WalkHashChain(
        *this, cache_.size(), header_size_, first, index_dat::Signed::Required,
        [&](const index_dat::HashTable& table) {
          const std::int64_t entries = EntryCount(table.blocks);
          for (std::int64_t k = 0; k < entries; ++k) {
            const std::uint64_t entry =
                table.offset + kTableEntries + static_cast<std::uint64_t>(k) * kEntrySize;
            // The rest of the table lies past the end of the file.
            if (entry > cache_.size() || cache_.size() - entry < kEntrySize) break;
            // In a sound file every entry is 8 bytes of its own; more entries than the file
            // holds means tables overlap, and walking them again would only repeat work.
            if (entry_budget_ == 0) return false;
            --entry_budget_;
            if (const auto record = RecordOf(entry))
              pending_.push_back(Pending{.record = *record, .entry = walked_, .bytes = {}});
            ++walked_;
            if (pending_.size() == kBatch) {
              walked = Flush(total);
              if (walked != Walked::On) return false;
            }
          }
          return true;
        });
    return walked;
  }

  // The record an entry leads to, unless the entry is empty or its offset is out of bounds.
  std::optional<std::uint64_t> RecordOf(std::uint64_t entry) {
    std::array<std::byte, kEntrySize> slot;
    if (!cache_.Read(entry, slot)) return std::nullopt;
    const auto state = std::to_integer<std::uint8_t>(slot[0]);
    if (state == 1 || state == 3) return std::nullopt;
    const std::int32_t record = Le32(&slot[kEntryRecordField]);
    if (record < 0 || record >= header_size_) return std::nullopt;
    return static_cast<std::uint64_t>(record);
  }

  // Reads the queued records in file order (a real cache places entries by the hash of
  // their URL, so in entry order the reads would jump all over the file), then goes through
  // the entries walked so far in their own order: the progress hook for each, and the rows.
  Walked Flush(std::int64_t total) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order;  // record, place in the batch
    order.reserve(pending_.size());
    for (std::uint32_t i = 0; i < pending_.size(); ++i) order.emplace_back(pending_[i].record, i);
    if (!std::is_sorted(order.begin(), order.end())) std::sort(order.begin(), order.end());
    // Texts read ahead stay within what the rows may still take; records past that are
    // read in their turn (the walk ends at one of them anyway).
    std::uint64_t read_ahead = 0;
    for (const auto& [record, i] : order) {
      if (read_ahead > text_budget_) break;
      ReadRecord(pending_[i]);
      read_ahead += pending_[i].bytes.size();
    }

    std::size_t next = 0;
    for (; flushed_ < walked_; ++flushed_) {
      if (progress_ && !progress_->BeforeEntry()) return Walked::Stopped;
      ++done_;
      if (total > 0) {
        const std::int64_t percent = std::min<std::int64_t>(done_ * 100 / total, 100);
        if (percent > position_) MoveTo(static_cast<int>(percent));
      }
      if (next == pending_.size() || pending_[next].entry != flushed_) continue;
      Pending& p = pending_[next++];
      if (!p.read) ReadRecord(p);
      if (!p.row) continue;
      // Every text of a sound file is bytes of its own record, so all of them together fit
      // in the file. Entries that keep pointing at one long text would otherwise make the
      // lists grow with the square of the file's size.
      if (p.bytes.size() > text_budget_) return Walked::Ended;
      text_budget_ -= p.bytes.size();
      lists_.urls.push_back({p.ascii ? std::move(p.bytes) : BytesAsText(p.bytes), image_index_});
      lists_.times.push_back(time_text_(p.filetime));
    }
    pending_.clear();
    return Walked::On;
  }

  // The time stamp and URL text of a "URL ", "LEAK" or "REDR" record; no row for any other
  // signature, a record cut by the end of the file, no text offset or an empty text.
  void ReadRecord(Pending& p) {
    p.read = true;
    std::array<std::byte, kUrlTextOffsetField + 1> head;
    const std::uint64_t record = p.record;
    const std::size_t held = static_cast<std::size_t>(
        std::min<std::uint64_t>(head.size(), cache_.size() - std::min(cache_.size(), record)));
    if (held < 4 || !cache_.Read(record, std::span(head).first(held))) return;
    // The three signatures hold no zero byte, so comparing all four bytes is the same as
    // comparing the text up to the first zero byte.
    const std::string_view signature(reinterpret_cast<const char*>(head.data()), 4);
    std::uint64_t text_at = 0;
    if (signature == "URL " || signature == "LEAK") {
      if (held <= kUrlTextOffsetField) return;
      p.filetime = Le64(&head[kUrlTimeField]);
      const auto text_offset = std::to_integer<std::uint8_t>(head[kUrlTextOffsetField]);
      if (text_offset == 0) return;
      text_at = record + text_offset;
    } else if (signature == "REDR") {
      if (held < kRedirectTimeField + 8) return;
      p.filetime = Le64(&head[kRedirectTimeField]);
      text_at = record + kRedirectText;
    } else {
      return;
    }
    // One byte past what the rows may still take tells that the text is too long.
    const std::size_t limit =
        static_cast<std::size_t>(std::min<std::uint64_t>(text_budget_, SIZE_MAX - 1));
    cache_.ReadUntilZero(text_at, limit + 1, p.bytes);
    p.row = !p.bytes.empty();
    p.ascii = std::none_of(p.bytes.begin(), p.bytes.end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
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
  std::uint64_t walked_ = 0;   // entries visited by the walk
  std::uint64_t flushed_ = 0;  // entries whose rows are in the lists
  std::int64_t done_ = 0;      // entries counted for the progress bar
  std::vector<Pending> pending_;
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
