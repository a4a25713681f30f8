#include "cli/demo_image.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/text.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Windows text files carry CRLF line ends.
std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A file of `size` bytes with recognisable content.
std::string Filler(std::size_t size, char seed) {
  std::string s(size, ' ');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (seed + i) % 26);
  return s;
}

// A .reg file as regedit exports it: UTF-16LE with a byte-order mark and CRLF.
std::string RegeditExport(std::string_view utf8_text) {
  return std::string("\xFF\xFE", 2) + Utf8ToUtf16LeBytes(Crlf(utf8_text));
}

constexpr const char* kMachineIni = R"([System]
Platform=NT
Version=6.1
Administrator=1

[Drives]
C=fixed
D=cdrom

[Windows]
1=Shell_TrayWnd
)";

constexpr const char* kRegistry = R"reg(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\7-Zip]

[HKEY_CURRENT_USER\Software\7-Zip\Compression]
"ArcHistory"=hex:43,00,3a,00,5c,00,55,00,73,00,65,00,72,00,73,00,5c,00,55,00,73,\
  00,65,00,72,00,5c,00,44,00,6f,00,63,00,75,00,6d,00,65,00,6e,00,74,00,73,00,\
  5c,00,74,00,61,00,78,00,65,00,73,00,2e,00,37,00,7a,00,00,00,00,00
"Level"=dword:00000005

[HKEY_CURRENT_USER\Software\7-Zip\Extraction]
"PathHistory"=hex:43,00,3a,00,5c,00,54,00,65,00,6d,00,70,00,00,00,00,00

[HKEY_CURRENT_USER\Software\7-Zip\FM]
"FolderHistory"=hex:43,00,3a,00,5c,00,55,00,73,00,65,00,72,00,73,00,5c,00,55,00,\
  73,00,65,00,72,00,5c,00,44,00,6f,00,77,00,6e,00,6c,00,6f,00,61,00,64,00,73,\
  00,5c,00,00,00,00,00
"ShowDots"=dword:00000000

[HKEY_CURRENT_USER\Software\Google\NavClient\1.1\History]
"cheap flights"=dword:4b1e2f10
"weather tomorrow"=dword:4b1e3a22

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://www.example.com/"
"url2"="http://news.example.org/today"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="notepad\\1"
"b"="cmd\\1"
"MRUList"="ba"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"AppData"="C:\\Users\\User\\AppData\\Roaming"
"Local AppData"="C:\\Users\\User\\AppData\\Local"
"Personal"="C:\\Users\\User\\Documents"
"Recent"="C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Recent"
"Cache"="C:\\Users\\User\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"
"Cookies"="C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Cookies"
"History"="C:\\Users\\User\\AppData\\Local\\Microsoft\\Windows\\History"

[HKEY_CURRENT_USER\Software\Morvel Demo\Search History]
"1"="quarterly report"
"2"="holiday photos"

[HKEY_CURRENT_USER\Software\WinRAR]

[HKEY_CURRENT_USER\Software\WinRAR\ArcHistory]
"0"="C:\\Users\\User\\Downloads\\photos.rar"
"1"="C:\\Users\\User\\Documents\\backup.rar"

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory]

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory\ArcName]
"0"="backup.rar"

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory\ExtrPath]
"0"="C:\\Users\\User\\Downloads\\photos"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion]
"ProgramFilesDir"="C:\\Program Files"
"CommonFilesDir"="C:\\Program Files\\Common Files"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Common AppData"="C:\\ProgramData"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall]

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\7-Zip]
"DisplayName"="7-Zip 19.00"
"DisplayVersion"="19.00"
"Publisher"="Igor Pavlov"
"UninstallString"="C:\\Program Files\\7-Zip\\Uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\WinRAR archiver]
"DisplayName"="WinRAR 5.91 (32-bit)"
"DisplayVersion"="5.91.0"
"UninstallString"="C:\\Program Files\\WinRAR\\uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{F0C3E5D1-1ADE-321E-8167-68EF0DE699A5}]
"DisplayName"="Microsoft Visual C++ 2010  x86 Redistributable - 10.0.40219"
"DisplayVersion"="10.0.40219"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\AddressBook]

)reg";

constexpr const char* kSettings = R"([Settings]
AskForSweep=1
OverwriteFile=0
OverwriteNumber=1
FastScan=0
[NodeSelected]
1=Windows
2=Windows - Temporary Files
3=Windows - Windows Log Files
4=Applications
5=Applications - 7-Zip
6=Custom Lists
7=Custom Lists - <New List>
SelectedCount=7
)";

constexpr const char* kCustomList = R"([<New List>]
DelFile1=C:\Users\User\Documents\Old Drafts
DelFile2=C:\Users\User\Desktop,notes-*.txt
DelRegValue1=HKEY_CURRENT_USER\Software\Morvel Demo\Search History
)";

}  // namespace

void WriteDemoImage(const fs::path& dir, const fs::path& definition_file) {
  std::ifstream definitions(definition_file, std::ios::binary);
  if (!definitions) throw std::runtime_error("cannot read " + definition_file.string());
  const std::string definition_bytes((std::istreambuf_iterator<char>(definitions)),
                                     std::istreambuf_iterator<char>());

  const fs::path c = dir / "drives" / "C";
  const fs::path program = c / "Program Files" / "Morvel";
  const fs::path user = c / "Users" / "User";

  WriteBytes(dir / "machine.ini", Crlf(kMachineIni));
  WriteBytes(dir / "registry.reg", RegeditExport(kRegistry));
  fs::create_directories(dir / "drives" / "D");
  fs::create_directories(dir / "stores");

  WriteBytes(program / "settings.ini", Crlf(kSettings));
  WriteBytes(program / "Morvel.dat", definition_bytes);
  WriteBytes(program / "Clist.dat", Crlf(kCustomList));

  // Traces: temporary files, log files, recent documents and the custom list's targets.
  const fs::path temp = user / "AppData" / "Local" / "Temp";
  WriteBytes(temp / "~DF3A21.tmp", Filler(16384, 1));
  WriteBytes(temp / "setup_log.txt", Crlf("Installation started\nInstallation finished\n"));
  WriteBytes(temp / "7zS1A2B" / "setup.exe", Filler(70000, 2));
  const fs::path windows = c / "Windows";
  WriteBytes(windows / "WindowsUpdate.log", Crlf(Filler(5000, 3)));
  WriteBytes(windows / "setupact.log", Crlf(Filler(2100, 4)));
  WriteBytes(windows / "Debug" / "PASSWD.LOG", Crlf(Filler(300, 5)));
  WriteBytes(windows / "Logs" / "CBS" / "CBS.log", Crlf(Filler(40000, 6)));
  WriteBytes(windows / "system32" / "drivers" / "etc" / "hosts", Crlf("127.0.0.1 localhost\n"));
  const fs::path recent = user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Recent";
  WriteBytes(recent / "taxes.lnk", Filler(812, 7));
  WriteBytes(recent / "holiday photos.lnk", Filler(790, 8));
  WriteBytes(user / "Documents" / "Old Drafts" / "letter v1.doc", Filler(24576, 9));
  WriteBytes(user / "Documents" / "Old Drafts" / "Archive" / "letter v0.doc", Filler(20480, 10));
  WriteBytes(user / "Documents" / "taxes.7z", Filler(4096, 11));
  WriteBytes(user / "Desktop" / "notes-monday.txt", Crlf("call the bank\n"));
  WriteBytes(user / "Desktop" / "notes-tuesday.txt", Crlf("buy milk\n"));
  WriteBytes(user / "Desktop" / "shopping.txt", Crlf("bread\n"));
}

}  // namespace morvel::cli
