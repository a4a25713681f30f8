#include "demo/system_traces.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "demo/files.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

// --- Bytes of binary registry values and files --------------------------------------------

std::string Le16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

std::string Le64(std::uint64_t v) {
  return Le32(static_cast<std::uint32_t>(v)) + Le32(static_cast<std::uint32_t>(v >> 32));
}

// UTF-16LE text with its terminating zero, as Windows stores names in binary values.
std::string Utf16z(std::string_view text) {
  return Utf8ToUtf16LeBytes(text) + std::string(2, '\0');
}

// Bytes that look like a program's private binary data.
std::string Blob(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((seed * 131 + i * 37 + (i >> 3) * 11) & 0xFF);
  return bytes;
}

// Explorer's UserAssist and TrayNotify keep program names in ROT13.
std::string Rot13(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>('a' + (c - 'a' + 13) % 26);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>('A' + (c - 'A' + 13) % 26);
  }
  return out;
}

// --- regedit's text -------------------------------------------------------------------------

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Key(std::string_view path) { return "\n[" + std::string(path) + "]\n"; }

std::string String(std::string_view name, std::string_view text) {
  return Quoted(name) + "=" + Quoted(text) + "\n";
}

std::string Dword(std::string_view name, std::uint32_t value) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", value);
  return Quoted(name) + "=dword:" + hex + "\n";
}

// A value with raw data ("hex:", "hex(2):", "hex(b):"), wrapped near 80 columns as regedit
// wraps it.
std::string Hex(std::string_view name, std::string_view type, std::string_view bytes) {
  std::string text = Quoted(name) + "=" + std::string(type);
  std::size_t column = text.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
    text += hex;
    column += 2;
    if (i + 1 == bytes.size()) break;
    text += ',';
    ++column;
    if (column > 76) {
      text += "\\\n  ";
      column = 2;
    }
  }
  return text + "\n";
}

std::string Binary(std::string_view name, std::string_view bytes) {
  return Hex(name, "hex:", bytes);
}

// --- Windows -------------------------------------------------------------------------------

constexpr std::string_view kUser = "HKEY_CURRENT_USER\\Software\\";
constexpr std::string_view kCurrentVersion =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kExplorer = std::string(kCurrentVersion) + "\\Explorer";
constexpr std::string_view kDocuments = "C:\\Users\\User\\Documents\\";

// One RecentDocs entry as Explorer writes it: the document's name, then the shell item of
// its shortcut in the Recent folder (short ANSI name, long Unicode name).
std::string RecentDocsEntry(std::string_view document, std::string_view shortcut) {
  std::string item = std::string("\x32\x00", 2) + Le32(812) + Le32(0x4B1E2F10) + Le16(0x20);
  item += std::string(shortcut) + '\0';
  if (item.size() % 2) item += '\0';
  item += Le16(0x0014) + Le16(0x0003) + Le32(0xBEEF0004) + Utf16z(shortcut);
  return Utf16z(document) + Le16(static_cast<std::uint16_t>(item.size() + 2)) + item +
         std::string(2, '\0');
}

// The most recent first: the value names' numbers, then -1.
std::string MruListEx(const std::vector<std::uint32_t>& order) {
  std::string bytes;
  for (std::uint32_t n : order) bytes += Le32(n);
  return bytes + Le32(0xFFFFFFFF);
}

std::string RecentDocsRegistry() {
  const std::string recent = kExplorer + "\\RecentDocs";
  std::string text = Key(recent);
  text += Binary("0", RecentDocsEntry("budget 2022.xls", "budget 2022.lnk"));
  text += Binary("1", RecentDocsEntry("cover letter.docx", "cover letter.lnk"));
  text += Binary("2", RecentDocsEntry("notes.txt", "notes.lnk"));
  text += Binary("3", RecentDocsEntry("Downloads", "Downloads.lnk"));
  text += Binary("MRUListEx", MruListEx({2, 1, 0, 3}));
  text += Key(recent + "\\.docx");
  text += Binary("0", RecentDocsEntry("cover letter.docx", "cover letter.lnk"));
  text += Binary("MRUListEx", MruListEx({0}));
  text += Key(recent + "\\.txt");
  text += Binary("0", RecentDocsEntry("shopping.txt", "shopping.lnk"));
  text += Binary("1", RecentDocsEntry("notes.txt", "notes.lnk"));
  text += Binary("MRUListEx", MruListEx({1, 0}));
  text += Key(recent + "\\.xls");
  text += Binary("0", RecentDocsEntry("budget 2022.xls", "budget 2022.lnk"));
  text += Binary("MRUListEx", MruListEx({0}));
  text += Key(recent + "\\Folder");
  text += Binary("0", RecentDocsEntry("Downloads", "Downloads.lnk"));
  text += Binary("MRUListEx", MruListEx({0}));

  // The search assistant's history; its own setting stays.
  const std::string search = std::string(kUser) + "Microsoft\\Search Assistant";
  text += Key(search) + Dword("SocialUI", 1);
  text += Key(search + "\\ACMru");
  text += Key(search + "\\ACMru\\5603") + String("000", "budget") + String("001", "tax return");
  text += Key(search + "\\ACMru\\5604") + String("000", "holiday photos");
  return text;
}

// --- Advanced ------------------------------------------------------------------------------

// A MenuOrder "Order" value: a header, then one record per menu entry.
std::string MenuOrder(const std::vector<std::string_view>& entries) {
  std::string records;
  std::uint32_t position = 0;
  for (std::string_view entry : entries) {
    std::string item = std::string("\x32\x00", 2) + std::string(entry) + '\0';
    if (item.size() % 2) item += '\0';
    records += Le32(static_cast<std::uint32_t>(item.size() + 8)) + Le32(position++) + item;
  }
  return Le32(8) + Le32(2) + Le32(static_cast<std::uint32_t>(records.size() + 20)) + Le32(1) +
         Le32(static_cast<std::uint32_t>(entries.size())) + records;
}

// A UserAssist counter of Windows XP: session, run count (plus 5), last run.
std::string UserAssistCount(std::uint32_t runs) {
  return Le32(1) + Le32(runs + 5) + Le64(0x01D8F0C2A1B3C000ULL);
}

// The tray's icon cache: a header, then one record per icon with the program's path.
std::string IconStreams(const std::vector<std::string_view>& programs) {
  std::string bytes = Le32(0x14) + Le32(7) + Le16(1) + Le16(1) +
                      Le32(static_cast<std::uint32_t>(programs.size())) + Le32(0x14);
  for (std::string_view program : programs) {
    std::string path = Utf8ToUtf16LeBytes(Rot13(program));
    path.resize(96, '\0');
    bytes += path + Le32(0x10) + Blob(12, static_cast<unsigned>(program.size()));
  }
  return bytes;
}

std::string AdvancedRegistry() {
  const std::string dialogs = kExplorer + "\\ComDlg32";
  // The folders last used per program: not the open-file history, so it stays.
  std::string text = Key(dialogs + "\\LastVisitedMRU");
  text += Binary("a", Utf16z("notepad.exe") + Utf16z("C:\\Users\\User\\Desktop"));
  text += String("MRUList", "a");
  text += Key(dialogs + "\\OpenSaveMRU");
  text += Key(dialogs + "\\OpenSaveMRU\\*");
  text += String("a", std::string(kDocuments) + "budget 2022.xls");
  text += String("b", "C:\\Users\\User\\Desktop\\notes-monday.txt");
  text += String("MRUList", "ba");
  text += Key(dialogs + "\\OpenSaveMRU\\txt");
  text += String("a", "C:\\Users\\User\\Desktop\\notes-monday.txt") + String("MRUList", "a");
  text += Key(dialogs + "\\OpenSaveMRU\\xls");
  text += String("a", std::string(kDocuments) + "budget 2022.xls") + String("MRUList", "a");

  const std::string menu = kExplorer + "\\MenuOrder";
  text += Key(menu + "\\Favorites") + Binary("Order", MenuOrder({"Links", "MSN.url"}));
  text += Key(menu + "\\Start Menu2\\Programs") +
          Binary("Order", MenuOrder({"Accessories", "7-Zip", "Internet Explorer.lnk"}));
  text += Key(menu + "\\Start Menu2\\Programs\\Accessories") +
          Binary("Order", MenuOrder({"Notepad.lnk", "Paint.lnk", "Calculator.lnk"}));

  text += Key(kExplorer + "\\TrayNotify");
  text += Binary("IconStreams", IconStreams({"C:\\Program Files\\TeamViewer\\TeamViewer.exe",
                                             "C:\\Windows\\system32\\taskmgr.exe"}));
  text += Binary("PastIconsStream", IconStreams({"C:\\Program Files\\Skype\\Skype.exe"}));
  text += Hex("LastAdvertisement", "hex(b):", Le64(0x01D8EF1B22C40000ULL));  // stays

  // The two lists the item names, each beside a setting that stays, and Windows 7's own
  // list, which the item does not name.
  const std::string assist = kExplorer + "\\UserAssist\\";
  const std::string bars = assist + "{5E6AB780-7743-11CF-A12B-00AA004AE837}";
  text += Key(bars) + Dword("Version", 3);
  text += Key(bars + "\\Count");
  text += Binary(Rot13("UEME_CTLSESSION"), Le32(0x1F) + Le32(0));
  text += Binary(Rot13("UEME_UITOOLBAR:0x1,120"), UserAssistCount(2));
  const std::string runs = assist + "{75048700-EF1F-11D0-9888-006097DEACF9}";
  text += Key(runs) + Dword("Version", 3);
  text += Key(runs + "\\Count");
  text += Binary(Rot13("UEME_CTLSESSION"), Le32(0x1F) + Le32(0));
  text += Binary(Rot13("UEME_RUNPATH"), UserAssistCount(14));
  text += Binary(Rot13("UEME_RUNPATH:C:\\Windows\\system32\\notepad.exe"), UserAssistCount(9));
  text += Binary(Rot13("UEME_RUNPIDL:%csidl2%\\Accessories\\Paint.lnk"), UserAssistCount(3));
  text += Binary(Rot13("UEME_RUNPATH:C:\\Program Files\\7-Zip\\7zFM.exe"), UserAssistCount(2));
  const std::string seven = assist + "{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}";
  text += Key(seven) + Dword("Version", 5);
  text += Key(seven + "\\Count");
  text += Binary(Rot13("{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}\\calc.exe"), Blob(72, 5));

  const std::string paint = std::string(kCurrentVersion) + "\\Applets\\Paint";
  text += Key(paint + "\\Recent File List");
  text += String("File1", "C:\\Users\\User\\Pictures\\scan 2022-11-03.png");
  text += String("File2", "C:\\Users\\User\\Desktop\\passport.jpg");
  text +=
      Key(paint + "\\View") + Binary("WindowPlacement", Blob(44, 6)) + Dword("ShowThumbnail", 0);

  // Google's toolbar history is among the programs' traces; Yahoo!'s is here.
  text += Key(std::string(kUser) + "Yahoo\\Companion") + String("Version", "8.4.6.0");
  text += Key(std::string(kUser) + "Yahoo\\Companion\\SearchHistory");
  text += String("0", "cheap hotels rome") + String("1", "train times milan");
  return text;
}

// --- Microsoft Office ----------------------------------------------------------------------

std::string OfficeRegistry() {
  const std::string office = std::string(kUser) + "Microsoft\\Office\\";
  const std::string docs(kDocuments);
  std::string text;
  for (const std::string_view version : {"11.0", "12.0"}) {
    const std::string v = office + std::string(version);
    const bool is2007 = version == "12.0";
    if (is2007) text += Key(v + "\\Access\\Security") + Dword("VBAWarnings", 2);  // stays
    text += Key(v + "\\Access\\Settings");
    text += String("MRU1", docs + (is2007 ? "Inventory.accdb" : "Contacts.mdb"));
    text += Dword("MRUFlags1", 1);
    text += Key(v + "\\Common\\General") + Dword("MaxRecentFiles", 9);  // stays
    if (is2007) {
      text += Key(v + "\\Excel\\File MRU");
      text += String("Item 1", "[F00000000][T01D8EF1B22C40000]*" + docs + "forecast.xlsx");
    }
    text += Key(v + "\\Excel\\Options") + Dword("Options", 0x1E3) + String("Pos", "0,0,800,600");
    if (!is2007) {
      text += Key(v + "\\Excel\\Recent Files");
      text += String("File1", docs + "budget 2022.xls") + String("File2", docs + "loan.xls");
    }
    text += Key(v + "\\PowerPoint\\Options") + Dword("AutoRecoverTime", 10);  // stays
    text += Key(v + "\\PowerPoint\\Recent File List");
    text += String("File1", docs + (is2007 ? "kick-off.pptx" : "quarterly review.ppt"));
    if (!is2007) text += Key(v + "\\PowerPoint\\Recent Folder List") + String("Folder1", docs);
    text += Key(v + "\\Word\\Data");
    text += Binary("Settings", Blob(is2007 ? 120 : 96, is2007 ? 12 : 11));
    text += Binary("Toolbars", Blob(64, 13));  // stays
  }
  const std::string front =
      std::string(kUser) + "Microsoft\\FrontPage\\Explorer\\FrontPage Explorer";
  const std::string site = docs + "My Web Sites";
  text += Key(front + "\\Recent File List") + String("File1", site + "\\index.htm");
  text += Key(front + "\\Recent Page List") + String("Page1", site + "\\about us.html");
  text += Key(front + "\\Recent Web List") + String("Web1", site);
  text += Key(front + "\\Settings") + Dword("ShowHiddenFiles", 0);  // stays
  return text;
}

// --- Instant messengers --------------------------------------------------------------------

std::string MessengerRegistry() {
  const std::string passports =
      std::string(kUser) + "Microsoft\\MSNMessenger\\PerPassportSettings\\";
  // In Windows' order: an old account whose log folder is gone, the account whose logs
  // are cleaned (its path as an expandable string), and a second account whose logs stay.
  std::string text = Key(passports + "0712446913");
  text += String("MessageLogPath", std::string(kDocuments) + "Old Chats");
  text += Dword("MessageLoggingEnabled", 1);
  text += Key(passports + "2958175340");
  text += Hex("MessageLogPath", "hex(2):", Utf16z(std::string(kDocuments) + "Chat Logs\\anna"));
  text += Dword("MessageLoggingEnabled", 1);
  text += Key(passports + "3816502247");
  text += String("MessageLogPath", std::string(kDocuments) + "Chat Logs\\ben");
  text += Dword("MessageLoggingEnabled", 1);
  return text;
}

// --- Files ---------------------------------------------------------------------------------

void WriteWindowsFiles(const fs::path& c) {
  const fs::path user = c / "Users" / "User";
  // Shortcuts of the recently opened documents, beside the jump lists' folders, which the
  // item does not touch.
  const fs::path recent = user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Recent";
  WriteBytes(recent / "budget 2022.lnk", Filler(845, 1));
  WriteBytes(recent / "cover letter.lnk", Filler(901, 2));
  WriteBytes(recent / "notes.lnk", Filler(760, 3));
  WriteBytes(recent / "Downloads.lnk", Filler(612, 4));
  WriteBytes(recent / "AutomaticDestinations" / "5f7b5f1e01b83767.automaticDestinations-ms",
             Filler(5632, 5));
  WriteBytes(recent / "CustomDestinations" / "28c8b86deab549a1.customDestinations-ms",
             Filler(2048, 6));

  // More of the temporary folder: an empty folder, a nested one, an empty file.
  const fs::path temp = user / "AppData" / "Local" / "Temp";
  fs::create_directories(temp / "WPDNSE");
  WriteBytes(temp / "msohtmlclip1" / "01" / "clip_image001.png", Filler(3100, 7));
  WriteBytes(temp / "msohtmlclip1" / "01" / "clip_filelist.xml", Crlf("<xml/>\n"));
  WriteBytes(temp / "FXSAPIDebugLogFile.txt", "");

  // The memory dumps; a dump kept in a folder of its own below Minidump stays.
  const fs::path windows = c / "Windows";
  WriteBytes(windows / "MEMORY.DMP", Filler(196608, 8));
  WriteBytes(windows / "Minidump" / "112826-16380-01.dmp", Filler(70000, 9));
  WriteBytes(windows / "Minidump" / "120726-15234-01.dmp", Filler(65536, 10));
  WriteBytes(windows / "Minidump" / "Saved" / "090126-12001-01.dmp", Filler(61000, 11));

  // Disk-check fragments in the system folder, beside the program that made them.
  WriteBytes(windows / "system32" / "FILE0000.CHK", Filler(4096, 12));
  WriteBytes(windows / "system32" / "FILE0001.CHK", Filler(8192, 13));
  WriteBytes(windows / "system32" / "chkdsk.exe", Filler(20480, 14));
}

std::string DesktopIni() {
  return Crlf("[.ShellClassInfo]\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\n");
}

// A FAT drive's bin: INFO2 records what was deleted from where; the entries are renamed
// D<drive letter><number>.
void WriteRecycledFolder(const fs::path& bin, char letter, char seed) {
  WriteBytes(bin / "INFO2", Le32(5) + Le32(0) + Le32(0) + Le32(800) + Le32(0) + Blob(560, seed));
  WriteBytes(bin / "desktop.ini", DesktopIni());
  const std::string prefix = std::string("D") + letter;
  WriteBytes(bin / (prefix + "1.txt"), Filler(1200, seed));
  WriteBytes(bin / (prefix + "2") / "minutes.doc", Filler(9216, seed + 1));
  WriteBytes(bin / (prefix + "2") / "photos" / "beach.jpg", Filler(24000, seed + 2));
}

// Windows 7's bin on C: one folder per user, "$R..." holding what was deleted and
// "$I..." its 544-byte record (size, time, former path).
void WriteRecycleBins(const fs::path& image) {
  const fs::path c_bin =
      image / "drives" / "C" / "$Recycle.Bin" / "S-1-5-21-1004336348-1177238915-682003330-1000";
  WriteBytes(c_bin / "desktop.ini", DesktopIni());
  const auto record = [](std::uint64_t size, std::string_view path) {
    std::string former = Utf16z(path);
    former.resize(520, '\0');
    return Le64(1) + Le64(size) + Le64(0x01D8F0C2A1B3C000ULL) + former;
  };
  WriteBytes(c_bin / "$I8K2Q1M.docx", record(18432, "C:\\Users\\User\\Documents\\draft.docx"));
  WriteBytes(c_bin / "$R8K2Q1M.docx", Filler(18432, 15));
  WriteBytes(c_bin / "$IJ7W0ZP", record(4000, "C:\\Users\\User\\Documents\\Old Letters"));
  WriteBytes(c_bin / "$RJ7W0ZP" / "letter 1.txt", Filler(1500, 16));
  WriteBytes(c_bin / "$RJ7W0ZP" / "letter 2.txt", Filler(2500, 17));

  // D: a second fixed disk formatted FAT32, the bin the cleaner reads file by file.
  WriteRecycledFolder(image / "drives" / "D" / "Recycled", 'd', 18);
  WriteBytes(image / "drives" / "D" / "Data" / "projects.xlsx", Filler(11000, 19));
  // E: a USB stick; its bin is no fixed disk's and stays.
  WriteRecycledFolder(image / "drives" / "E" / "Recycled", 'e', 21);
}

void WriteOfficeFiles(const fs::path& roaming) {
  // Office's Recent folder. Office itself writes "Name.LNK" shortcuts and an index.dat,
  // which only "Recent Files" takes; the files named after a document's own extension
  // are what the per-program items take.
  const fs::path recent = roaming / "Microsoft" / "Office" / "Recent";
  WriteBytes(recent / "Contacts.mdb", Filler(530, 1));          // Access
  WriteBytes(recent / "budget 2022.xls", Filler(545, 2));       // Excel
  WriteBytes(recent / "index.htm", Filler(520, 3));             // FrontPage
  WriteBytes(recent / "about us.html", Filler(525, 4));         // FrontPage
  WriteBytes(recent / "quarterly review.ppt", Filler(560, 5));  // Powerpoint
  WriteBytes(recent / "cover letter.doc", Filler(550, 6));      // Word
  WriteBytes(recent / "budget 2022.LNK", Filler(1120, 7));      // Recent Files only
  WriteBytes(recent / "Contacts.LNK", Filler(1090, 8));
  WriteBytes(recent / "forecast.LNK", Filler(1150, 9));
  WriteBytes(recent / "Templates.LNK", Filler(980, 10));
  WriteBytes(recent / "index.dat", Crlf("[Folders]\nbudget 2022.LNK=1\nContacts.LNK=2\n"));
}

void WriteMessengerFiles(const fs::path& c) {
  const fs::path documents = c / "Users" / "User" / "Documents";
  const fs::path anna = documents / "Chat Logs" / "anna";
  WriteBytes(anna / "MessageLog.xsl", Crlf(Filler(2600, 1)));
  WriteBytes(anna / "bob_example1234567890.xml",
             Crlf("<?xml version=\"1.0\"?>\n<Log FirstSessionID=\"1\" LastSessionID=\"2\">"
                  "<Message><Text>see you at eight</Text></Message></Log>\n"));
  WriteBytes(anna / "carol_example2233445566.xml", Crlf(Filler(3400, 2)));
  WriteBytes(anna / "2021" / "dave_example9988776655.xml", Crlf(Filler(1800, 3)));
  WriteBytes(documents / "Chat Logs" / "ben" / "anna_example1122334455.xml",
             Crlf(Filler(2200, 4)));  // another account's logs: they stay
  const fs::path received = documents / "My Received Files";
  WriteBytes(received / "holiday.jpg", Filler(48000, 5));
  WriteBytes(received / "from carol" / "song.mp3", Filler(52000, 6));

  const fs::path yahoo = c / "Program Files" / "Yahoo!" / "Messenger";
  WriteBytes(yahoo / "ypager.log", Crlf(Filler(7000, 7)));
  WriteBytes(yahoo / "YahooMessenger.exe", Filler(90000, 8));  // stays
  WriteBytes(yahoo / "IMVCache" / "anna_y.png", Filler(6400, 9));
  WriteBytes(yahoo / "IMVCache" / "bg" / "beach.jpg", Filler(14000, 10));
  const fs::path archive = yahoo / "Profiles" / "anna_y" / "Archive" / "Messages" / "bob_y";
  WriteBytes(archive / "20221105-anna_y.dat", Filler(2300, 11));
  WriteBytes(yahoo / "Profiles" / "anna_y" / "Photos" / "shared.jpg", Filler(9000, 12));

  // Skype keeps its chat databases as .dbb files at any depth of the account's folder.
  const fs::path skype = c / "Users" / "User" / "AppData" / "Roaming" / "Skype";
  WriteBytes(skype / "shared.xml", Crlf("<config version=\"1.0\"/>\n"));  // stays
  WriteBytes(skype / "anna.smith" / "chatmsg256.dbb", Filler(25600, 13));
  WriteBytes(skype / "anna.smith" / "user1024.dbb", Filler(10240, 14));
  WriteBytes(skype / "anna.smith" / "voicemail" / "voicemail256.dbb", Filler(5120, 15));
  WriteBytes(skype / "anna.smith" / "main.db", Filler(40960, 16));       // stays
  WriteBytes(skype / "anna.smith" / "config.xml", Crlf("<config/>\n"));  // stays
}

}  // namespace

std::string DemoSystemRegistry() {
  return RecentDocsRegistry() + AdvancedRegistry() + OfficeRegistry() + MessengerRegistry();
}

void WriteDemoSystemFiles(const fs::path& image) {
  const fs::path c = image / "drives" / "C";
  WriteWindowsFiles(c);
  WriteRecycleBins(image);
  WriteOfficeFiles(c / "Users" / "User" / "AppData" / "Roaming");
  WriteMessengerFiles(c);
  // What the user last copied.
  WriteBytes(image / "stores" / "clipboard.txt", Crlf("IBAN DE89 3704 0044 0532 0130 00\n"));
}

}  // namespace morvel::cli
