#include "engine/community/reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/community/categories.h"
#include "engine/community/lines.h"

namespace morvel::community {

namespace {

constexpr std::size_t kShownLine = 200;  // characters of a skipped line kept for its note
constexpr std::size_t kBinaryProbe = 4096;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsPlainAscii(std::string_view line) {
  for (const char c : line)
    if ((c < 0x20 || c > 0x7E) && c != '\t') return false;
  return true;
}

// The line as a note shows it: cut short when long, and text even when the line was not
// (invalid bytes become U+FFFD, control characters "?"), so that no note carries a zero
// byte or a broken character into the log.
std::string Shown(std::string_view line) {
  const bool cut = line.size() > kShownLine;
  std::string shown = Utf16ToUtf8(Utf8ToUtf16(cut ? line.substr(0, kShownLine) : line));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = '?';
  return cut ? shown + "..." : shown;
}

// A key's name and its number: "FileKey12" is "FileKey" and 12, "Detect" has none.
std::string_view KeyKind(std::string_view key) {
  while (!key.empty() && key.back() >= '0' && key.back() <= '9') key.remove_suffix(1);
  return key;
}

class Reader {
 public:
  explicit Reader(const ReadLimits& limits) : limits_(limits) {}

  Definitions Read(std::string_view bytes) {
    if (bytes.size() > limits_.max_bytes) {
      Refuse(TooLargeWhy(limits_));
      return std::move(result_);
    }
    const IniText decoded = DecodeIniText(bytes);
    const std::string_view text = decoded.text;
    if (text.substr(0, kBinaryProbe).find('\0') != std::string_view::npos) {
      Refuse("the file is not text (it holds zero bytes) and is not read");
      return std::move(result_);
    }
    // CR LF, LF and CR each end a line.
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size() && !stopped_;) {
      std::size_t end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      // A CR ends a line too: the one before LF, and one alone.
      const std::size_t cr = text.substr(at, end - at).find('\r');
      if (cr != std::string_view::npos) end = at + cr;
      Line(++number, text.substr(at, end - at));
      at = end;
      if (at < text.size()) at += text.substr(at, 2) == "\r\n" ? 2 : 1;
    }
    Finish();
    return std::move(result_);
  }

 private:
  enum class Place { BeforeFirst, InEntry, InLeftOut, Stopped };

  void Refuse(std::string why) { result_.skipped.push_back({0, "", std::move(why)}); }

  // One line of the file, without its line end.
  void Line(std::size_t number, std::string_view line) {
    if (line.size() > limits_.max_line) {
      Skip(number, line,
           "the line is longer than " + std::to_string(limits_.max_line) + " characters");
      return;
    }
    if (!IsPlainAscii(line))
      if (const auto fault = FindNonText(line)) {
        Skip(number, line, "not text (" + fault->what + ")");
        return;
      }
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return;
    if (trimmed.front() == '[') {
      Header(number, trimmed);
      return;
    }
    switch (place_) {
      case Place::BeforeFirst:
        Skip(number, line, "the line stands before the first entry");
        return;
      case Place::InLeftOut:
      case Place::Stopped:
        return;  // its section's note tells why
      case Place::InEntry:
        break;
    }
    if (++entry_lines_ > limits_.max_lines_per_entry) {
      if (entry_lines_ == limits_.max_lines_per_entry + 1)
        Skip(number, line,
             "the entry has more than " + std::to_string(limits_.max_lines_per_entry) +
                 " lines: the rest are not read");
      return;
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
      Skip(number, line, "not a key=value line");
      return;
    }
    const std::string_view key = Trim(trimmed.substr(0, equals));
    // An entry has a few dozen keys at most: a look through them costs less than hashing.
    const bool again = std::any_of(keys_.begin(), keys_.end(),
                                   [key](std::string_view k) { return SameText(k, key); });
    keys_.push_back(key);
    if (again) {
      Skip(number, line, "a second " + std::string(key) + " of the entry (the first counts)");
      return;
    }
    KeyLine(number, line, key, Trim(trimmed.substr(equals + 1)));
  }

  void Header(std::size_t number, std::string_view line) {
    Finish();
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
      place_ = Place::InLeftOut;
      Skip(number, line, "a section header without \"]\": the section is left out");
      return;
    }
    std::string_view name = Trim(line.substr(1, close - 1));
    if (name == "*") name = {};
    if (name.ends_with(" *")) name = Trim(name.substr(0, name.size() - 2));
    if (name.empty()) {
      place_ = Place::InLeftOut;
      Skip(number, line, "a section without a name is left out");
      return;
    }
    if (!names_.insert(UpperCase(name)).second) {
      place_ = Place::InLeftOut;
      Skip(number, line, "a second section of this name is left out (the first counts)");
      return;
    }
    if (result_.entries.size() >= limits_.max_entries) {
      place_ = Place::Stopped;
      Skip(number, line,
           "the file has more than " + std::to_string(limits_.max_entries) +
               " entries: the rest are not read");
      stopped_ = true;
      return;
    }
    place_ = Place::InEntry;
    entry_ = Entry{};
    entry_.name = std::string(name);
    entry_.line = number;
    entry_lines_ = 0;
    keys_.clear();
    number_category_.reset();
    section_category_.clear();
  }

  void KeyLine(std::size_t number, std::string_view line, std::string_view key,
               std::string_view value) {
    const std::string_view kind = KeyKind(key);
    const auto is = [kind](std::string_view name) { return SameText(kind, name); };
    const bool numbered = kind.size() != key.size();
    // The parsed value, or a note; `sink` takes the value.
    const auto take = [&](auto parsed, auto sink) {
      if (parsed.value)
        sink(std::move(*parsed.value));
      else
        Skip(number, line, parsed.why);
    };
    if (is("LangSecRef") && !numbered) {
      long long category = 0;
      if (ParseInt(value, category))
        number_category_ = std::string(CategoryOfNumber(category));
      else
        Skip(number, line, "not a category number");
    } else if (is("Section") && !numbered) {
      if (value.empty())
        Skip(number, line, "an empty category");
      else
        section_category_ = std::string(value);
    } else if (is("Warning") && !numbered) {
      entry_.warning = std::string(value);
    } else if (is("Detect")) {
      entry_.has_detection = true;
      take(ParseKeyName(value), [this](KeyName k) { entry_.detect_keys.push_back(std::move(k)); });
    } else if (is("DetectFile")) {
      entry_.has_detection = true;
      take(ParsePathPattern(value, true),
           [this](PathPattern p) { entry_.detect_paths.push_back(std::move(p)); });
    } else if (is("SpecialDetect")) {
      // Detects a program by a rule of another cleaner's own; not one of this format's.
      entry_.has_detection = true;
      Skip(number, line, "a detection by another program's own rule");
    } else if (is("FileKey") && numbered) {
      take(ParseFileKey(value), [this](FileKey k) { entry_.file_keys.push_back(std::move(k)); });
    } else if (is("RegKey") && numbered) {
      take(ParseRegKey(value), [this](RegKey k) { entry_.reg_keys.push_back(std::move(k)); });
    } else if (is("ExcludeKey") && numbered) {
      take(ParseExclusion(value),
           [this](Exclusion e) { entry_.exclusions.push_back(std::move(e)); });
    } else {
      Skip(number, line, "a key this program does not read");
    }
  }

  // The entry read so far, when there is one, goes to the result.
  void Finish() {
    if (place_ != Place::InEntry) return;
    place_ = Place::InLeftOut;
    if (!section_category_.empty())
      entry_.category = std::move(section_category_);
    else
      entry_.category = number_category_.value_or(std::string(kDefaultCategory));
    result_.entries.push_back(std::move(entry_));
  }

  void Skip(std::size_t number, std::string_view line, std::string why) {
    if (++skipped_ > limits_.max_skipped) {
      stopped_ = true;
      result_.skipped.push_back({number, Shown(line),
                                 "more than " + std::to_string(limits_.max_skipped) +
                                     " lines cannot be used: the rest of the file is not read"});
      Finish();
      return;
    }
    SkippedLine skipped{number, Shown(line), std::move(why)};
    if (place_ == Place::InEntry)
      entry_.skipped.push_back(std::move(skipped));
    else
      result_.skipped.push_back(std::move(skipped));
  }

  const ReadLimits& limits_;
  Definitions result_;
  Place place_ = Place::BeforeFirst;
  bool stopped_ = false;
  std::size_t skipped_ = 0;
  Entry entry_;
  std::size_t entry_lines_ = 0;
  std::unordered_set<std::string> names_;  // upper-cased section names
  std::vector<std::string_view> keys_;     // the entry's keys, in the text being read
  std::optional<std::string> number_category_;
  std::string section_category_;
};

}  // namespace

std::string TooLargeWhy(const ReadLimits& limits) {
  return "the file is larger than " + std::to_string(limits.max_bytes >> 20) +
         " MB and is not read";
}

Definitions ReadDefinitions(std::string_view bytes, const ReadLimits& limits) {
  return Reader(limits).Read(bytes);
}

}  // namespace morvel::community
