#include "demo/traces.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "demo/files.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

// regedit's text for a multi-string value: "hex(7):" and the UTF-16LE bytes of each
// string with its terminator, then the list's terminator.
std::string MultiString(const std::vector<std::string_view>& strings) {
  std::string bytes;
  for (std::string_view s : strings) bytes += Utf8ToUtf16LeBytes(s) + std::string(2, '\0');
  bytes += std::string(2, '\0');
  std::string text = "hex(7):";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) text += ',';
    text += hex;
  }
  return text;
}

// Programs as their installers register them. The sub-key names sort before the GUIDs,
// so the Applications category lists these programs first.
constexpr std::string_view kUninstall = R"reg(
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\7-Zip]
"DisplayName"="7-Zip 19.00"
"DisplayVersion"="19.00"
"Publisher"="Igor Pavlov"
"UninstallString"="C:\\Program Files\\7-Zip\\Uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Adobe Flash Player ActiveX]
"DisplayName"="Adobe Flash Player 32 ActiveX"
"DisplayVersion"="32.0.0.465"
"Publisher"="Adobe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\FileZilla Client]
"DisplayName"="FileZilla Client 3.62.2"
"DisplayVersion"="3.62.2"
"Publisher"="Tim Kosse"
"UninstallString"="C:\\Program Files\\FileZilla FTP Client\\uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\MPC-HC_is1]
"DisplayName"="MPC-HC 1.9.24"
"DisplayVersion"="1.9.24"
"Publisher"="MPC-HC Team"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Office14.PROPLUS]
"DisplayName"="Microsoft Office Professional Plus 2010"
"DisplayVersion"="14.0.7015.1000"
"Publisher"="Microsoft Corporation"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pidgin]
"DisplayName"="Pidgin"
"DisplayVersion"="2.14.12"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TeamViewer]
"DisplayName"="TeamViewer"
"DisplayVersion"="15.36.8"
"Publisher"="TeamViewer"
"UninstallString"="C:\\Program Files\\TeamViewer\\uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VLC media player]
"DisplayName"="VLC media player"
"DisplayVersion"="3.0.18"
"Publisher"="VideoLAN"
"UninstallString"="C:\\Program Files\\VideoLAN\\VLC\\uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\WinRAR archiver]
"DisplayName"="WinRAR 5.91 (32-bit)"
"DisplayVersion"="5.91.0"
"UninstallString"="C:\\Program Files\\WinRAR\\uninstall.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{3F2A9B0C-51D4-4C8E-A6F1-7B2E9D0C4A18}]
"DisplayName"="PuTTY release 0.78"
"DisplayVersion"="0.78.0.0"
"Publisher"="Simon Tatham"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{AC76BA86-7AD7-1033-7B44-AC0F074E4100}]
"DisplayName"="Adobe Acrobat Reader DC"
"DisplayVersion"="21.001.20155"
"Publisher"="Adobe Systems Incorporated"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{CD95F661-A5C4-44F5-A6AA-ECDD91C240B5}]
"DisplayName"="WinZip 24.0"
"DisplayVersion"="24.0.14033"
"Publisher"="Corel Corporation"
)reg";

// Recent-file lists and histories, beside settings of the same programs that stay.
constexpr std::string_view kHistories = R"reg(
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
"PanelPath0"="C:\\Users\\User\\Downloads\\"
"ShowDots"=dword:00000000

[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\DC\AVGeneral\cRecentFiles\c1]
"tDIText"="/C/Users/User/Documents/lease agreement.pdf"
"tFileName"="lease agreement.pdf"
"uFileSize"=dword:0003a2f1

[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\DC\AVGeneral\cRecentFiles\c2]
"tDIText"="/C/Users/User/Downloads/bank statement 2022-10.pdf"
"tFileName"="bank statement 2022-10.pdf"
"uFileSize"=dword:00012c40

[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\DC\AVGeneral\cRecentFolders\c1]
"tDIText"="/C/Users/User/Downloads"

[HKEY_CURRENT_USER\Software\Google\NavClient\1.1\History]
"cheap flights"=dword:4b1e2f10
"weather tomorrow"=dword:4b1e3a22

[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Excel\File MRU]
"Max Display"=dword:00000019
"Item 1"="[F00000000][T01D8EF1B22C40000][O00000000]*C:\\Users\\User\\Documents\\budget 2022.xlsx"

[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Word\File MRU]
"Max Display"=dword:00000019
"Item 1"="[F00000000][T01D8F0C2A1B3C000][O00000000]*C:\\Users\\User\\Documents\\cover letter.docx"
"Item 2"="[F00000000][T01D8EE4F2C7D1000][O00000000]*C:\\Users\\User\\Documents\\minutes 2022-10-12.docx"

[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Word\Place MRU]
"Max Display"=dword:00000019
"Item 1"="[F00000000][T01D8F0C2A1B3C000][O00000000]*C:\\Users\\User\\Documents\\"

[HKEY_CURRENT_USER\Software\MPC-HC\MPC-HC\Recent File List]
"File1"="C:\\Users\\User\\Videos\\beach holiday 2022.mp4"
"File2"="C:\\Users\\User\\Downloads\\lecture-03.mkv"

[HKEY_CURRENT_USER\Software\Nico Mak Computing\WinZip\extract]
"extract1"="C:\\Users\\User\\Downloads\\fonts"

[HKEY_CURRENT_USER\Software\Nico Mak Computing\WinZip\filemenu]
"filemenu1"="C:\\Users\\User\\Downloads\\fonts.zip"
"filemenu2"="C:\\Users\\User\\Documents\\tax papers.zip"

[HKEY_CURRENT_USER\Software\SimonTatham\PuTTY\Sessions\backup-server]
"HostName"="backup.example.org"
"Protocol"="ssh"
"PortNumber"=dword:00000016

[HKEY_CURRENT_USER\Software\WinRAR]

[HKEY_CURRENT_USER\Software\WinRAR\ArcHistory]
"0"="C:\\Users\\User\\Downloads\\photos.rar"
"1"="C:\\Users\\User\\Documents\\backup.rar"

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory]

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory\ArcName]
"0"="backup.rar"

[HKEY_CURRENT_USER\Software\WinRAR\DialogEditHistory\ExtrPath]
"0"="C:\\Users\\User\\Downloads\\photos"
)reg";

void WriteWindowsLogs(const fs::path& windows) {
  WriteBytes(windows / "WindowsUpdate.log", Crlf(Filler(5000, 3)));
  WriteBytes(windows / "setupact.log", Crlf(Filler(2100, 4)));
  WriteBytes(windows / "Debug" / "PASSWD.LOG", Crlf(Filler(300, 5)));
  WriteBytes(windows / "Logs" / "CBS" / "CBS.log", Crlf(Filler(40000, 6)));
  WriteBytes(windows / "Logs" / "CBS" / "CbsPersist_20221104093012.cab", Filler(12000, 12));
  WriteBytes(windows / "Logs" / "DISM" / "dism.log", Crlf(Filler(9000, 13)));
  WriteBytes(windows / "Panther" / "setupact.log", Crlf(Filler(15000, 14)));
  WriteBytes(windows / "inf" / "setupapi.dev.log", Crlf(Filler(30000, 15)));
  WriteBytes(windows / "inf" / "usb.inf", Crlf(Filler(4000, 16)));  // a driver file, stays
  WriteBytes(windows / "Performance" / "WinSAT" / "winsat.log", Crlf(Filler(6000, 17)));
}

void WriteProgramTraces(const fs::path& c) {
  const fs::path roaming = c / "Users" / "User" / "AppData" / "Roaming";

  WriteBytes(roaming / "vlc" / "art" / "artistalbum" / "The Beach Boys" / "Pet Sounds" / "art.jpg",
             Filler(31000, 20));
  WriteBytes(roaming / "vlc" / "vlcrc", "[qt] # Qt interface\nqt-privacy-ask=0\n");

  WriteBytes(roaming / "FileZilla" / "recentservers.xml",
             Crlf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<FileZilla3>\n\t<RecentServers>\n\t\t<Server>\n"
                  "\t\t\t<Host>ftp.example.org</Host>\n\t\t\t<Port>21</Port>\n"
                  "\t\t\t<User>anna</User>\n\t\t</Server>\n\t</RecentServers>\n"
                  "</FileZilla3>\n"));
  WriteBytes(roaming / "FileZilla" / "sitemanager.xml",
             Crlf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FileZilla3>\n"
                  "\t<Servers />\n</FileZilla3>\n"));

  const fs::path teamviewer = c / "Program Files" / "TeamViewer";
  WriteBytes(roaming / "TeamViewer" / "Connections.txt",
             Crlf("1234567890\t05-11-2022 19:02:11\t05-11-2022 19:40:37\tUser\tRemoteControl\n"));
  WriteBytes(teamviewer / "Connections_incoming.txt",
             Crlf("987654321\tAnna\t04-11-2022 08:15:40\t04-11-2022 08:31:02\tUser\n"));
  WriteBytes(teamviewer / "TeamViewer15_Logfile.log", Crlf(Filler(48000, 21)));
  WriteBytes(teamviewer / "TeamViewer15_Logfile_OLD.log", Crlf(Filler(90000, 22)));
  WriteBytes(teamviewer / "TeamViewer.exe", Filler(65536, 23));

  const fs::path flash = roaming / "Macromedia" / "Flash Player";
  WriteBytes(flash / "#SharedObjects" / "KX7R2B4Q" / "www.example.com" / "player.sol",
             Filler(420, 24));
  WriteBytes(flash / "macromedia.com" / "support" / "flashplayer" / "sys" / "settings.sol",
             Filler(120, 25));

  const fs::path purple = roaming / ".purple";
  WriteBytes(purple / "logs" / "jabber" / "me@example.org" / "anna@example.org" /
                 "2022-11-05.193012+0100CET.html",
             Crlf("<html><body><b>anna:</b> see you at eight</body></html>\n"));
  WriteBytes(purple / "accounts.xml", Crlf("<?xml version='1.0'?>\n<account version='1.0'/>\n"));
}

}  // namespace

std::string DemoTraceRegistry() {
  std::string text(kUninstall);
  text += kHistories;
  text += "\n[HKEY_CURRENT_USER\\Software\\SimonTatham\\PuTTY\\Jumplist]\n";
  text += "\"Recent sessions\"=" + MultiString({"backup-server", "web01"}) + "\n";
  return text;
}

void WriteDemoTraceFiles(const fs::path& c) {
  WriteWindowsLogs(c / "Windows");
  WriteProgramTraces(c);
}

}  // namespace morvel::cli
