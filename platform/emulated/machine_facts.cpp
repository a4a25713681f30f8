#include "platform/emulated/machine_facts.h"

#include <charconv>

#include "common/ini_file.h"
#include "common/text.h"
#include "platform/emulated/machine.h"

namespace morvel::platform::emulated {

namespace {

constexpr std::array<std::string_view, kMachineFolderCount> kDefaultFolders = {
    R"(C:\Windows)",
    R"(C:\Windows\system32)",
    R"(C:\Users\User\AppData\Local\Temp)",
    R"(C:\Users\User\Documents)",
    R"(C:\Users\User\AppData\Roaming)",
    R"(C:\Users\User\AppData\Roaming\Microsoft\Windows\Recent)",
    R"(C:\Users\User\AppData\Local\Microsoft\Windows\Temporary Internet Files)",
    R"(C:\Users\User\AppData\Roaming\Microsoft\Windows\Cookies)",
    R"(C:\Users\User\AppData\Local\Microsoft\Windows\History)",
    R"(C:\Program Files\Morvel)",
    R"(C:\Users\User)",
    R"(C:\Users\User\Desktop)",
    R"(C:\Users\User\Pictures)",
    R"(C:\Users\User\Music)",
    R"(C:\Users\User\Videos)",
    R"(C:\Users\User\Downloads)",
    R"(C:\Users\User\AppData\Local)",
    R"(C:\ProgramData)",
    R"(C:\Users\Public)",
    R"(C:\Users\User\AppData\LocalLow)",
};

struct DriveTypeName {
  std::string_view name;
  DriveType type;
};
constexpr std::array<DriveTypeName, 5> kDriveTypeNames = {{
    {"fixed", DriveType::Fixed},
    {"removable", DriveType::Removable},
    {"cdrom", DriveType::CdRom},
    {"remote", DriveType::Remote},
    {"ramdisk", DriveType::RamDisk},
}};

// Reads one ini file and reports its faults with file and line.
class FactsReader {
 public:
  FactsReader(std::string_view bytes, std::string_view display_name) : display_name_(display_name) {
    RequireText(bytes);
    doc_ = IniDocument::Parse(bytes);
  }

  MachineFacts Read() {
    MachineFacts facts;
    ReadSystem(facts);
    ReadFolders(facts);
    ReadDrives(facts);
    ReadLocale(facts);
    for (const auto& [key, value] : Entries("Locked")) {
      auto path = ParseWindowsPath(value);
      if (!path) Fail("Locked", key, "locked file '" + value + "' is not an absolute Windows path");
      facts.locked.push_back(std::move(path.value));
    }
    for (auto& entry : Entries("Windows")) facts.window_classes.push_back(std::move(entry.second));
    return facts;
  }

 private:
  IniDocument doc_;
  std::string display_name_;

  // A file that is not text (a binary file, or one in an encoding other than UTF-8 or
  // UTF-16 with its mark) would otherwise read as a machine with every default.
  void RequireText(std::string_view bytes) const {
    const IniText decoded = DecodeIniText(bytes);
    std::optional<NonText> fault = FindNonText(decoded.text);
    if (!fault && !decoded.tail.empty())
      fault = NonText{decoded.text.size(), "an odd number of bytes in UTF-16"};
    if (fault)
      throw MachineImageError(display_name_ + ":" +
                              std::to_string(LineOfOffset(decoded.text, fault->offset)) +
                              ": not text (" + fault->what + ")");
  }

  [[noreturn]] void Fail(std::string_view section, std::string_view key,
                         const std::string& what) const {
    const auto line = doc_.LineNumber(section, key);
    throw MachineImageError(display_name_ + ":" + std::to_string(line.value_or(0)) + ": " + what);
  }

  // The section's keys in file order with their values, the first of duplicate keys
  // winning as with the profile functions; empty values left out.
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const {
    auto entries = doc_.SectionEntries(section);
    std::erase_if(entries, [](const auto& entry) { return entry.second.empty(); });
    return entries;
  }

  void ReadSystem(MachineFacts& facts) const {
    if (auto platform = doc_.Read("System", "Platform")) {
      if (SameText(*platform, "NT"))
        facts.version.family = WindowsFamily::Nt;
      else if (SameText(*platform, "9x"))
        facts.version.family = WindowsFamily::Win9x;
      else
        Fail("System", "Platform", "Platform '" + *platform + "' is not NT or 9x");
    }
    if (auto version = doc_.Read("System", "Version")) {
      if (!ParseVersion(*version, facts.version))
        Fail("System", "Version", "Version '" + *version + "' is not major.minor");
    }
    if (auto admin = doc_.Read("System", "Administrator")) {
      long long value = 0;
      if (!ParseInt(*admin, value))
        Fail("System", "Administrator", "Administrator '" + *admin + "' is not an integer");
      facts.administrator = value != 0;
    }
    facts.computer_name = doc_.ReadString("System", "ComputerName", facts.computer_name);
    if (auto user = doc_.Read("System", "UserName"); user && !user->empty()) {
      // A user name is one name of a path: Windows allows none of these in it.
      if (user->find_first_of("\\/:*?\"<>|") != std::string::npos)
        Fail("System", "UserName", "UserName '" + *user + "' is not a user name");
      facts.user_name = *user;
    }
  }

  static bool ParseNumber(std::string_view text, unsigned& out) {
    if (text.empty()) return false;
    for (char c : text)
      if (c < '0' || c > '9') return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
  }

  static bool ParseVersion(std::string_view text, WindowsVersion& version) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return false;
    return ParseNumber(text.substr(0, dot), version.major) &&
           ParseNumber(text.substr(dot + 1), version.minor);
  }

  void ReadFolders(MachineFacts& facts) const {
    for (std::size_t i = 0; i < kMachineFolderCount; ++i) {
      auto value = doc_.Read("Folders", kMachineFolderKeys[i]);
      if (!value) continue;
      auto path = ParseWindowsPath(*value);
      if (!path)
        Fail("Folders", kMachineFolderKeys[i],
             std::string(kMachineFolderKeys[i]) + " '" + *value +
                 "' is not an absolute Windows path");
      facts.folders[i] = path.value.ToString();
    }
  }

  void ReadLocale(MachineFacts& facts) const {
    if (auto bias = doc_.Read("Locale", "Bias"); bias && !bias->empty()) {
      long long minutes = 0;
      // Real time zones lie within 14 hours of UTC; a day either way is plenty.
      if (!ParseInt(*bias, minutes) || minutes < -1440 || minutes > 1440)
        Fail("Locale", "Bias", "Bias '" + *bias + "' is not minutes between -1440 and 1440");
      facts.locale.bias_minutes = static_cast<int>(minutes);
    }
    if (auto picture = doc_.Read("Locale", "ShortDate"); picture && !picture->empty())
      facts.locale.short_date = *picture;
    if (auto picture = doc_.Read("Locale", "LongTime"); picture && !picture->empty())
      facts.locale.long_time = *picture;
  }

  void ReadDrives(MachineFacts& facts) const {
    bool has_section = false;
    for (const std::string& name : doc_.SectionNames())
      has_section = has_section || SameText(name, "Drives");
    if (!has_section) return;
    facts.drives.fill(DriveType::None);
    for (const std::string& line : doc_.SectionLines("Drives")) {
      std::string_view key, ignored;
      if (!SplitIniLine(line, key, ignored)) continue;
      const std::string value = doc_.Read("Drives", key).value_or("");
      const char letter = key.size() == 1 ? UpperAscii(key[0]) : '\0';
      if (letter < 'A' || letter > 'Z')
        Fail("Drives", key, "'" + std::string(key) + "' is not a drive letter");
      if (value.empty()) continue;  // "D=" says no more than leaving D out
      const auto type = ParseDriveType(value);
      if (!type)
        Fail("Drives", key,
             "drive type '" + value + "' is not fixed, removable, cdrom, remote or ramdisk");
      // The first line of a letter wins, as Read finds it; later duplicates change nothing.
      facts.drives[static_cast<std::size_t>(letter - 'A')] = *type;
    }
  }

  static std::optional<DriveType> ParseDriveType(std::string_view text) {
    for (const auto& entry : kDriveTypeNames)
      if (SameText(entry.name, text)) return entry.type;
    return std::nullopt;
  }
};

}  // namespace

MachineFacts::MachineFacts() {
  for (std::size_t i = 0; i < kMachineFolderCount; ++i) folders[i] = kDefaultFolders[i];
  drives.fill(DriveType::None);
  drives['C' - 'A'] = DriveType::Fixed;
}

DriveType MachineFacts::Drive(char letter) const {
  const char upper = UpperAscii(letter);
  if (upper < 'A' || upper > 'Z') return DriveType::None;
  return drives[static_cast<std::size_t>(upper - 'A')];
}

bool MachineFacts::IsLocked(const WindowsPath& path) const {
  for (const WindowsPath& entry : locked)
    if (SamePath(entry, path)) return true;
  return false;
}

bool MachineFacts::HasWindowClass(std::string_view class_name) const {
  for (const std::string& name : window_classes)
    if (SameText(name, class_name)) return true;
  return false;
}

MachineFacts ParseMachineFacts(std::string_view bytes, std::string_view display_name) {
  return FactsReader(bytes, display_name).Read();
}

}  // namespace morvel::platform::emulated
