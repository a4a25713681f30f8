#include "demo/image.h"

#include <fstream>
#include <stdexcept>
#include <string>

#include "common/text.h"
#include "demo/browser_traces.h"
#include "demo/community_traces.h"
#include "demo/demo_folder.h"
#include "demo/files.h"
#include "demo/ie_traces.h"
#include "demo/system_traces.h"
#include "demo/traces.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

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
D=fixed
E=removable

[Windows]
1=Shell_TrayWnd

[Locked]
1=C:\Users\User\AppData\Local\Microsoft\Windows\Temporary Internet Files\Content.IE5\index.dat
)";

constexpr const char* kRegistry = R"reg(Windows Registry Editor Version 5.00

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

[HKEY_CURRENT_USER\Software\Morvel Demo]
"Last Search"="holiday photos"
"Theme"="blue"

[HKEY_CURRENT_USER\Software\Morvel Demo\Search History]
"1"="quarterly report"
"2"="holiday photos"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion]
"ProgramFilesDir"="C:\\Program Files"
"CommonFilesDir"="C:\\Program Files\\Common Files"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Common AppData"="C:\\ProgramData"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall]

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
ShowLogRecycleBin=1
[NodeSelected]
1=Windows
2=Windows - Recent Documents
3=Windows - Start Run
4=Windows - Empty Recycle Bin
5=Windows - Temporary Files
6=Windows - Memory Dumps
7=Windows - Chkdsk File Fragments
8=Windows - Windows Log Files
9=Advanced
10=Advanced - Open File History
11=Advanced - User Assist History
12=Advanced - Google Toolbar History
13=Applications
14=Applications - 7-Zip
15=Applications - FileZilla
16=Applications - TeamViewer
17=Applications - Acrobat Reader
18=Microsoft Office
19=Microsoft Office - Excel
20=Microsoft Office - Word
21=Instant Messengers
22=Instant Messengers - MSN Messenger
23=Instant Messengers - Skype
24=Custom Lists
25=Custom Lists - <New List>
26=Netscape
27=Netscape - Cookies
28=Netscape - Visited URL History
29=Netscape - Temporary Internet Files
30=Opera
31=Opera - Cookies
32=Opera - Visited URL History
33=Opera - Temporary Internet Files
34=Mozilla Firefox
35=Mozilla Firefox - Cookies
36=Mozilla Firefox - Visited URL History
37=Mozilla Firefox - Temporary Internet Files
38=Mozilla Firefox - Saved Form Information
39=Google Chrome
40=Google Chrome - Temporary Internet Files
41=Google Chrome - Cookies
42=Google Chrome - Visited URL History
43=Google Chrome - Stored passwords in Forms
44=Internet
45=Internet - Discord
46=Brave Web Browser
47=Brave Web Browser - Brave Caches
48=Multimedia
49=Multimedia - Spotify
50=Games
51=Games - Steam
SelectedCount=51
)";

constexpr const char* kCustomList = R"([<New List>]
DelFile1=C:\Users\User\Documents\Old Drafts
DelFile2=C:\Users\User\Desktop,notes-*.txt
DelFile3=C:\Users\User\Desktop,old passwords.txt
DelRegValue1=HKEY_CURRENT_USER\Software\Morvel Demo\Search History
DelRegValue2=HKEY_CURRENT_USER\Software\Morvel Demo,Last Search
)";

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void WriteDemoImage(const fs::path& given, const fs::path& definition_file,
                    const fs::path& community_file) {
  const std::string definition_bytes = ReadWhole(definition_file);

  const fs::path dir = PrepareDemoFolder(given);
  WriteBytes(dir / kDemoNoteName, kDemoNote);

  const fs::path c = dir / "drives" / "C";
  const fs::path program = c / "Program Files" / "Morvel";
  const fs::path user = c / "Users" / "User";

  WriteBytes(dir / "machine.ini", Crlf(kMachineIni));
  WriteBytes(dir / "registry.reg",
             RegeditExport(kRegistry + DemoTraceRegistry() + DemoSystemRegistry() +
                           DemoIeRegistry() + DemoCommunityRegistry()));
  fs::create_directories(dir / "drives" / "D");
  fs::create_directories(dir / "stores");

  WriteBytes(program / "settings.ini", Crlf(kSettings));
  WriteBytes(program / "Morvel.dat", definition_bytes);
  WriteBytes(program / "Clist.dat", Crlf(kCustomList));
  if (!community_file.empty()) WriteBytes(program / "Winapp2.ini", ReadWhole(community_file));

  // Traces: temporary files, recent documents and the custom list's targets; the
  // programs' and Windows' own in traces.cpp.
  const fs::path temp = user / "AppData" / "Local" / "Temp";
  WriteBytes(temp / "~DF3A21.tmp", Filler(16384, 1));
  WriteBytes(temp / "setup_log.txt", Crlf("Installation started\nInstallation finished\n"));
  WriteBytes(temp / "7zS1A2B" / "setup.exe", Filler(70000, 2));
  const fs::path windows = c / "Windows";
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
  WriteBytes(user / "Desktop" / "old passwords.txt", Crlf("bank: hunter2\n"));
  WriteDemoTraceFiles(c);
  WriteDemoSystemFiles(dir);
  WriteDemoIeFiles(dir, program);
  WriteDemoBrowserFiles(c);
  WriteDemoCommunityFiles(c);
}

}  // namespace morvel::cli
