#include "stores/index_dat_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

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

// Entries are read from their table this many at a time.
constexpr std::size_t kEntryChunk = 512;
// Entries that lead to records are read in batches of this many: 512 Ki of them take
// 16 MiB for the time of the read, whatever the size of the file, and a batch takes the
// records of a cache of 100 MiB in one sweep through the file.
constexpr std::size_t kBatch = std::size_t{1} << 19;
// Records read ahead between two calls of the Working hook (entries: one chunk).
constexpr std::size_t kRecordsBetweenCalls = 512;

// What a read holds besides its fixed working memory (a batch with its sort keys and the
// cache, about 21 MiB): rows and texts within a third of this plus twice the bytes the file
// gave, so that the vectors holding them, grown by doubling, stay within that. So a read
// takes less than 64 MiB plus twice the bytes read, whatever size the file claims: a sparse
// file claims gigabytes it does not hold.
constexpr std::uint64_t kFreeHolding = std::uint64_t{36} << 20;
// A row's place in the rows' table, and its record in the set of records listed.
constexpr std::uint64_t kRowCost = 32;
// Room made up front at most, whatever the tables claim: half a million rows and 8 MiB of
// text, a large cache; beyond that the rows grow as they come.
constexpr std::size_t kReservedRows = std::size_t{1} << 19;
constexpr std::size_t kReservedText = std::size_t{8} << 20;

std::uint64_t Le64(const std::byte* b) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Le32(b + 4))) << 32 |
         static_cast<std::uint32_t>(Le32(b));
}

// Bytes from 0x80 of the arena's text from `from` on become two bytes of UTF-8 each (the
// character of that number): each byte of the file is one character.
void BytesToUtf8(std::string& arena, std::size_t from) {
  // URLs are nearly always ASCII: eight bytes at a time tell.
  const char* text = arena.data() + from;
  const std::size_t n = arena.size() - from;
  std::uint64_t any = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text + i, 8);
    any |= word;
  }
  for (; i < n; ++i) any |= static_cast<unsigned char>(text[i]);
  if ((any & 0x8080808080808080ull) == 0) return;
  const std::size_t high = static_cast<std::size_t>(
      std::count_if(arena.begin() + static_cast<std::ptrdiff_t>(from), arena.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
  std::size_t in = arena.size();
  arena.resize(arena.size() + high);
  std::size_t out = arena.size();
  // From the back, so that nothing is overwritten before it is read.
  while (in > from) {
    const auto b = static_cast<unsigned char>(arena[--in]);
    if (b < 0x80) {
      arena[--out] = static_cast<char>(b);
    } else {
      arena[--out] = static_cast<char>(0x80 | (b & 0x3F));
      arena[--out] = static_cast<char>(0xC0 | (b >> 6));
    }
  }
}

// An entry that leads to a record, waiting in a batch, and what the record holds: 24 bytes,
// since a batch of them is written all over as its records are read.
struct Pending {
  static constexpr std::uint32_t kUnread = UINT32_MAX;
  static constexpr std::uint32_t kTooLong = UINT32_MAX - 1;  // more text than may be held
  std::uint64_t filetime = 0;
  std::uint32_t entry = 0;  // number of the entry in walk order, counted from the batch's first
  std::uint32_t record = 0;
  std::uint32_t text = 0;          // offset of its text in the rows' arena
  std::uint32_t length = kUnread;  // of the text; 0: the record gives no row
};

// Sorts `keys` by their upper 32 bits (two stable passes of 16 bits): a batch's records in
// file order at a fraction of a comparison sort's cost.
void SortByUpperHalf(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& scratch) {
  scratch.resize(keys.size());
  for (const int shift : {32, 48}) {
    std::vector<std::size_t> counts(std::size_t{1} << 16, 0);
    for (const std::uint64_t k : keys) ++counts[(k >> shift) & 0xFFFF];
    std::size_t at = 0;
    for (std::size_t& c : counts) at += std::exchange(c, at);
    for (const std::uint64_t k : keys) scratch[counts[(k >> shift) & 0xFFFF]++] = k;
    keys.swap(scratch);
  }
}

class Walk {
 public:
  Walk(const platform::FileReader& file, int image_index, IndexDatRows& rows,
       IndexDatProgress* progress)
      : cache_(file),
        image_index_(image_index),
        rows_(rows),
        progress_(progress),
        entry_budget_(cache_.size() / kEntrySize),
        // Every text of a sound file is bytes of its own record, and every record is many
        // times longer than a row's place in the table: texts within the file's size and
        // rows within a 32nd of it keep everything under twice the file, growth included.
        // Entries that keep pointing at one long text would otherwise make the rows grow
        // with the square of the file's size.
        text_budget_(std::min<std::uint64_t>(cache_.size(), IndexDatRows::kMaxArena)),
        row_budget_(cache_.size() / 32),
        arena_start_(rows.Arena().size()) {}

  void Run() {
    const auto header_size = Int32(kFileSizeField);
    const auto first = Int32(kFirstTableField);
    if (header_size && first) {
      header_size_ = *header_size;
      const std::int64_t total = CountEntries(*first);
      // Room for the rows up front, as many as the tables have entries, but never more than
      // records of 128 bytes could fill the file.
      rows_.Reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(
          total, 0,
          static_cast<std::int64_t>(std::min<std::uint64_t>(cache_.size() / 128, kReservedRows)))));
      // And for their texts, which in a cache are a fraction of each record: a quarter of
      // the file, touched only as far as it is filled, so that the arena is rarely copied.
      rows_.Arena().reserve(rows_.Arena().size() +
                            static_cast<std::size_t>(std::min<std::uint64_t>(
                                {cache_.size() / 4, IndexDatRows::kMaxArena, kReservedText})));
      pending_.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(
          total, 0, static_cast<std::int64_t>(std::min<std::uint64_t>(kBatch, entry_budget_)))));
      progress_total_ = total;
      next_percent_at_ = NextPercentAt();
      const Walked walked = WalkTables(*first);
      if (walked == Walked::Stopped || (walked == Walked::On && Flush() == Walked::Stopped)) return;
    }
    if (position_ < 100) MoveTo(100);
  }

  // The cache as the chain walk reads it.
  bool operator()(std::uint64_t offset, std::span<std::byte> out) {
    return cache_.Read(offset, out);
  }

 private:
  std::optional<std::int32_t> Int32(std::uint64_t offset) {
    return index_dat::ReadInt32(*this, offset);
  }

  // The progress total: entries of every table of the chain, as their block counts say.
  // This pass does not test the "HASH" signature.
  std::int64_t CountEntries(std::int32_t first) {
    std::int64_t total = 0;
    index_dat::WalkHashChain(*this, header_size_, first, index_dat::Signed::NotTested,
                             [&](const index_dat::HashTable& t) {
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

  // Visits the entries of the chain in order and queues those that lead to a record.
  Walked WalkTables(std::int32_t first) {
    Walked walked = Walked::On;
    std::array<std::byte, kEntryChunk * kEntrySize> chunk;
    index_dat::WalkHashChain(
        *this, header_size_, first, index_dat::Signed::Required,
        [&](const index_dat::HashTable& table) {
          const std::int64_t entries = EntryCount(table.blocks);
          const std::uint64_t start = table.offset + kTableEntries;
          for (std::int64_t k = 0; k < entries;) {
            const std::uint64_t at = start + static_cast<std::uint64_t>(k) * kEntrySize;
            // The rest of the table lies past the end of the file.
            if (at > cache_.size() || cache_.size() - at < kEntrySize) break;
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({static_cast<std::uint64_t>(entries - k), kEntryChunk,
                                         (cache_.size() - at) / kEntrySize}));
            if (!cache_.Read(at, std::span(chunk).first(n * kEntrySize))) break;
            if (!StillWorking()) {
              walked = Walked::Stopped;
              return false;
            }
            for (std::size_t i = 0; i < n; ++i) {
              // In a sound file every entry is 8 bytes of its own; more entries than the
              // file holds means tables overlap, and walking them again would only repeat
              // work.
              if (entry_budget_ == 0) return false;
              --entry_budget_;
              // An entry naming the record its predecessor named adds no row: a run of
              // them (the zeros of a sparse table) costs nothing more.
              const auto record = RecordOf(&chunk[i * kEntrySize]);
              if (record && record != last_record_)
                pending_.push_back(Pending{.entry = static_cast<std::uint32_t>(walked_ - flushed_),
                                           .record = *record});
              if (record) last_record_ = record;
              ++walked_;
              if (pending_.size() == kBatch) {
                walked = Flush();
                if (walked != Walked::On) return false;
              }
            }
            k += static_cast<std::int64_t>(n);
          }
          return true;
        });
    return walked;
  }

  // The record an entry leads to, unless the entry is empty or its offset is out of bounds.
  [[nodiscard]] std::optional<std::uint32_t> RecordOf(const std::byte* slot) const {
    const auto state = std::to_integer<std::uint8_t>(slot[0]);
    if (state == 1 || state == 3) return std::nullopt;
    const std::int32_t record = Le32(slot + kEntryRecordField);
    if (record < 0 || record >= header_size_) return std::nullopt;
    return static_cast<std::uint32_t>(record);
  }

  // Reads the queued records in file order (a real cache places entries by the hash of
  // their URL, so in entry order the reads would jump all over the file), then goes through
  // the entries walked so far in their own order: the progress hook for each, and the rows.
  Walked Flush() {
    // Texts read ahead stay within what the rows may still take; records past that are
    // read in their turn (the walk ends at one of them anyway).
    std::uint64_t read_ahead = 0;
    const bool in_file_order =
        std::is_sorted(pending_.begin(), pending_.end(),
                       [](const Pending& a, const Pending& b) { return a.record < b.record; });
    if (in_file_order) {
      for (std::size_t j = 0; j < pending_.size(); ++j) {
        if (read_ahead > text_budget_ || Held() > Allowance()) break;
        if (j % kRecordsBetweenCalls == kRecordsBetweenCalls - 1 && !StillWorking())
          return Walked::Stopped;
        Pending& p = pending_[j];
        ReadOnce(p.record, j > 0 && pending_[j - 1].record == p.record, p);
        read_ahead += p.length;
      }
    } else {
      keys_.clear();
      for (std::size_t i = 0; i < pending_.size(); ++i)
        keys_.push_back(std::uint64_t{pending_[i].record} << 32 | i);
      SortByUpperHalf(keys_, scratch_);
      // The record comes from the key, and each entry's place is only written to: in a
      // scattered file those places are all over the batch, and waiting for them to be
      // read would cost more than the records themselves.
      constexpr std::size_t kAhead = 8;
      for (std::size_t j = 0; j < keys_.size(); ++j) {
        if (read_ahead > text_budget_ || Held() > Allowance()) break;
        if (j % kRecordsBetweenCalls == kRecordsBetweenCalls - 1 && !StillWorking())
          return Walked::Stopped;
        if (j + kAhead < keys_.size())
          __builtin_prefetch(&pending_[keys_[j + kAhead] & 0xFFFFFFFF], 1);
        Pending& p = pending_[keys_[j] & 0xFFFFFFFF];
        // Sorted stably, so the first of equal records is the earliest entry.
        const bool repeat = j > 0 && keys_[j - 1] >> 32 == keys_[j] >> 32;
        ReadOnce(static_cast<std::uint32_t>(keys_[j] >> 32), repeat, p);
        read_ahead += p.length;
      }
    }

    std::size_t next = 0;
    const std::uint64_t first = flushed_;
    for (; flushed_ < walked_; ++flushed_) {
      if (progress_ && !progress_->BeforeEntry()) return Walked::Stopped;
      ++done_;
      if (done_ >= next_percent_at_) {
        MoveTo(static_cast<int>(std::min<std::int64_t>(done_ * 100 / progress_total_, 100)));
        next_percent_at_ = NextPercentAt();
      }
      if (next == pending_.size() || pending_[next].entry != flushed_ - first) continue;
      Pending& p = pending_[next++];
      // The rows are the distinct records: one named again, here or in an earlier batch,
      // is not read again.
      if (listed_.Contains(p.record)) continue;
      if (p.length == Pending::kUnread) ReadRecord(p.record, p);
      if (p.length == 0) continue;
      if (p.length == Pending::kTooLong || p.length > text_budget_ || row_budget_ == 0 ||
          Held() + kRowCost > Allowance())
        return Walked::Ended;
      text_budget_ -= p.length;
      --row_budget_;
      rows_.AddRow(p.text, p.length, p.filetime, image_index_);
      listed_.Insert(p.record);
      ++rows_added_;
    }
    pending_.clear();
    return Walked::On;
  }

  // The first count of done entries at which the bar moves again; never, without a total.
  [[nodiscard]] std::int64_t NextPercentAt() const {
    if (progress_total_ <= 0 || position_ >= 100) return INT64_MAX;
    // The least done with done * 100 / total > position.
    return ((position_ + 1) * progress_total_ + 99) / 100;
  }

  // What this read holds of the rows: the texts it added to the arena and its rows.
  [[nodiscard]] std::uint64_t Held() const {
    return (rows_.Arena().size() - arena_start_) + rows_added_ * kRowCost;
  }
  // What it may hold now.
  [[nodiscard]] std::uint64_t Allowance() const {
    return (kFreeHolding + 2 * cache_.bytes_read()) / 3;
  }

  // ReadRecord for the first entry that names a record; a repeat, or a record already
  // listed, adds no row and is not read.
  void ReadOnce(std::uint32_t record, bool repeat, Pending& p) {
    if (repeat || listed_.Contains(record))
      p.length = 0;
    else
      ReadRecord(record, p);
  }

  // The time stamp and URL text of a "URL ", "LEAK" or "REDR" record, its text put into
  // the rows' arena; no row for any other signature, a record cut by the end of the file,
  // no text offset or an empty text. A text longer than the read may still hold is
  // kTooLong and stays out of the arena.
  void ReadRecord(std::uint64_t record, Pending& p) {
    p.length = 0;
    std::array<std::byte, kUrlTextOffsetField + 1> head;
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
    std::string& arena = rows_.Arena();
    const std::size_t from = arena.size();
    // One byte past what the rows may still take tells that the text is too long; the
    // arena never outgrows what a row can name.
    const std::uint64_t room = IndexDatRows::kMaxArena - std::min(from, IndexDatRows::kMaxArena);
    const std::uint64_t allowed = Allowance() - std::min(Allowance(), Held());
    const std::size_t limit =
        static_cast<std::size_t>(std::min({text_budget_, room / 2, allowed / 2}));
    if (cache_.ReadUntilZero(text_at, limit + 1, arena) > limit) {
      arena.resize(from);
      p.length = Pending::kTooLong;
      return;
    }
    BytesToUtf8(arena, from);
    if (arena.size() == from) return;
    p.text = static_cast<std::uint32_t>(from);
    p.length =
        static_cast<std::uint32_t>(std::min<std::size_t>(arena.size() - from, UINT32_MAX - 2));
  }

  bool StillWorking() { return progress_ == nullptr || progress_->Working(); }

  void MoveTo(int percent) {
    position_ = percent;
    if (progress_) progress_->MoveTo(percent);
  }

  IndexDatCache cache_;
  int image_index_;
  IndexDatRows& rows_;
  IndexDatProgress* progress_;
  std::int32_t header_size_ = 0;
  int position_ = 0;
  std::int64_t progress_total_ = 0;
  std::int64_t next_percent_at_ = INT64_MAX;
  std::uint64_t entry_budget_;
  std::uint64_t text_budget_;
  std::uint64_t row_budget_;
  std::uint64_t walked_ = 0;   // entries visited by the walk
  std::uint64_t flushed_ = 0;  // entries whose rows are in the lists
  std::int64_t done_ = 0;      // entries counted for the progress bar
  std::vector<Pending> pending_;
  std::vector<std::uint64_t> keys_, scratch_;
  std::optional<std::uint32_t> last_record_;  // of the last entry walked that named one
  index_dat::OffsetSet listed_;               // records that gave a row
  std::size_t arena_start_;                   // the arena's size before this read
  std::uint64_t rows_added_ = 0;
};

}  // namespace

void ReadIndexDat(const platform::FileReader& file, int image_index, IndexDatRows& rows,
                  IndexDatProgress* progress) {
  Walk(file, image_index, rows, progress).Run();
}

platform::Status ReadIndexDatFile(const platform::FileSystem& files, std::string_view path,
                                  int image_index, IndexDatRows& rows, IndexDatProgress* progress) {
  auto opened = files.OpenForReading(path);
  if (!opened.ok()) return opened.status;
  ReadIndexDat(*opened.value, image_index, rows, progress);
  return platform::Status::Ok();
}

}  // namespace morvel
