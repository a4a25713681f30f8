#include "app/run_report.h"

#include "app/product.h"
#include "common/text.h"

namespace morvel::app {

namespace {

// A JSON string: quotes, backslashes and control characters escaped; text that is not
// UTF-8 (a name no Windows program could have made) as U+FFFD, so the file stays JSON.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t c = DecodeUtf8(text, i);
    if (c == U'"' || c == U'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else if (c == 0xFFFD || (c >= 0xD800 && c <= 0xDFFF)) {
      out += "\xEF\xBF\xBD";
    } else {
      out.append(text.substr(start, i - start));
    }
  }
  return out + "\"";
}

// A CSV field (RFC 4180): quoted when it holds a separator, a quote or a line end. A key
// that a spreadsheet would take for a formula gets a leading apostrophe: item keys come
// from other programs' names too.
std::string CsvField(std::string_view text) {
  std::string field(text);
  if (!field.empty() && (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@'))
    field.insert(field.begin(), '\'');
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ItemJson(const ItemResult& item) {
  std::string text = "{\"key\": " + JsonString(item.key) +
                     ", \"removed\": {\"items\": " + std::to_string(item.removed_items) +
                     ", \"bytes\": " + std::to_string(item.removed_bytes) + "}, \"left\": [";
  for (std::size_t i = 0; i < item.left.size(); ++i) {
    if (i > 0) text += ", ";
    text += "{\"path\": " + JsonString(item.left[i].path) +
            ", \"reason\": " + JsonString(ReasonText(item.left[i].reason)) + "}";
  }
  return text + "]}";
}

}  // namespace

std::optional<ReportFormat> ReportFormatOf(std::string_view path) {
  const std::string upper = UpperCase(path);
  if (upper.ends_with(".JSON")) return ReportFormat::Json;
  if (upper.ends_with(".CSV")) return ReportFormat::Csv;
  return std::nullopt;
}

std::string ReportJson(const ReportRun& run, const std::vector<ItemResult>& items) {
  std::string text =
      "{\"program\": " + JsonString(kProductName) +
      ", \"version\": " + JsonString(kReleaseVersion) +
      ", \"computer\": " + JsonString(run.computer) + ", \"user\": " + JsonString(run.user) +
      ", \"mode\": " + JsonString(run.test ? "test" : "clean") + ",\r\n" +
      " \"started\": " + JsonString(UtcTimeText(run.started)) +
      ", \"ended\": " + JsonString(UtcTimeText(run.ended)) + ",\r\n" + " \"items\": [";
  for (std::size_t i = 0; i < items.size(); ++i)
    text += (i > 0 ? ",\r\n           " : "") + ItemJson(items[i]);
  const RunTotals totals = TotalsOf(items);
  return text + "],\r\n \"totals\": {\"removed_items\": " + std::to_string(totals.removed_items) +
         ", \"removed_bytes\": " + std::to_string(totals.removed_bytes) +
         ", \"left_items\": " + std::to_string(totals.left_items) + "}}\r\n";
}

std::string ReportCsv(const std::vector<ItemResult>& items) {
  std::string text = "Key,Removed items,Removed bytes,Left items,First reason\r\n";
  for (const ItemResult& item : items) {
    text += CsvField(item.key) + ',' + std::to_string(item.removed_items) + ',' +
            std::to_string(item.removed_bytes) + ',' + std::to_string(item.left.size()) + ',' +
            (item.left.empty() ? std::string() : std::string(ReasonText(item.left[0].reason))) +
            "\r\n";
  }
  return text;
}

std::string ReportText(ReportFormat format, const ReportRun& run,
                       const std::vector<ItemResult>& items) {
  return format == ReportFormat::Json ? ReportJson(run, items) : ReportCsv(items);
}

std::string ExpandReportPath(std::string_view path, std::string_view computer,
                             std::string_view date) {
  static constexpr std::string_view kComputer = "%COMPUTERNAME%";
  static constexpr std::string_view kDate = "%DATE%";
  std::string out;
  for (std::size_t i = 0; i < path.size();) {
    const std::string_view rest = path.substr(i);
    if (SameText(rest.substr(0, kComputer.size()), kComputer)) {
      out += computer;
      i += kComputer.size();
    } else if (SameText(rest.substr(0, kDate.size()), kDate)) {
      out += date;
      i += kDate.size();
    } else {
      out += path[i++];
    }
  }
  return out;
}

std::optional<std::string> WriteReportFile(platform::FileSystem& files, std::string_view path,
                                           std::string_view text) {
  const platform::Status written = files.WriteFileNoFollow(path, text);
  if (written) return std::nullopt;
  if (written.kind == platform::ErrorKind::Link)
    return std::string(path) + " is a link, which is never written through";
  return std::string(path) + ": " + platform::ErrorKindName(written.kind);
}

}  // namespace morvel::app
