#include "demo/ie_traces.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "demo/files.h"

namespace morvel::cli {

namespace fs = std::filesystem;

namespace {

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// An index.dat in the browser's own layout: the header, one 4 KiB hash table at 0x4000
// and a 256-byte "URL " record per URL after it, each with its last-modified time.
std::string IndexDat(const std::vector<std::string_view>& urls) {
  constexpr std::uint32_t kTable = 0x4000;
  constexpr std::uint32_t kRecords = kTable + 0x1000;
  std::string bytes(kRecords + 0x100 * urls.size(), '\0');
  bytes.replace(0, 28, std::string("Client UrlCache MMF Ver 5.2") + '\0');
  Put32(bytes, 28, static_cast<std::uint32_t>(bytes.size()));
  Put32(bytes, 32, kTable);
  bytes.replace(kTable, 4, "HASH");
  Put32(bytes, kTable + 4, 0x1000 / 128);
  std::uint64_t filetime = 0x01DD'6000'0000'0000;  // late 2026
  for (std::uint32_t k = 0; k < urls.size(); ++k) {
    const std::uint32_t record = kRecords + 0x100 * k;
    Put32(bytes, kTable + 16 + 8 * k, 0x80 | k << 8);
    Put32(bytes, kTable + 20 + 8 * k, record);
    bytes.replace(record, 4, "URL ");
    Put32(bytes, record + 4, 2);
    filetime += 36'000'000'000ULL;  // an hour apart
    Put32(bytes, record + 16, static_cast<std::uint32_t>(filetime));
    Put32(bytes, record + 20, static_cast<std::uint32_t>(filetime >> 32));
    bytes[record + 52] = 0x68;
    bytes.replace(record + 0x68, urls[k].size(), urls[k]);
  }
  return bytes;
}

}  // namespace

std::string DemoIeRegistry() {
  return R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer]
"Download Directory"="C:\\Users\\User\\Downloads"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main]
"Start Page"="http://www.example.com/"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Explorer Bars\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\FilesNamedMRU]
"000"="budget*.xls"
"001"="holiday"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Explorer Bars\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\ContainingTextMRU]
"000"="password"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\IntelliForms\Storage1]
"E4C5A3A2B1"=hex:01,02,03,04

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\IntelliForms\Storage2]
"9F8E7D6C5B4A39281706F5E4D3C2B1A0F9E8D7C6"=hex:0a,0b,0c,0d,0e,0f

)reg";
}

void WriteDemoIeFiles(const fs::path& image, const fs::path& program) {
  const fs::path windows = image / "drives" / "C" / "Users" / "User" / "AppData";
  const fs::path local = windows / "Local" / "Microsoft" / "Windows";
  const fs::path roaming = windows / "Roaming" / "Microsoft" / "Windows";

  const fs::path content = local / "Temporary Internet Files" / "Content.IE5";
  WriteBytes(content / "index.dat",
             IndexDat({"http://www.example.com/", "http://www.example.com/logo.gif",
                       "http://news.example.org/style.css"}));
  WriteBytes(content / "Q1W2E3R4" / "index[1].htm", Filler(5120, 21));
  WriteBytes(content / "Q1W2E3R4" / "logo[1].gif", Filler(2310, 22));
  WriteBytes(content / "Z9X8C7V6" / "style[1].css", Filler(1400, 23));

  const fs::path history = local / "History" / "History.IE5";
  WriteBytes(history / "index.dat", IndexDat({"Visited: User@http://www.example.com/"}));
  WriteBytes(history / "MSHist012026113020261207" / "index.dat",
             IndexDat({":2026113020261207: User@http://news.example.org/"}));
  WriteBytes(history / "MSHist012026120620261207" / "index.dat",
             IndexDat({":2026120620261207: User@http://www.example.com/"}));

  const fs::path cookies = roaming / "Cookies";
  WriteBytes(cookies / "index.dat", IndexDat({"Cookie:user@example.com/"}));
  WriteBytes(cookies / "user@example[1].txt", Crlf("id\nA1B2C3\nexample.com/\n1024\n*\n"));
  WriteBytes(cookies / "user@news.example[2].txt", Crlf("seen\n1\nnews.example.org/\n1024\n*\n"));
  WriteBytes(cookies / "user@bank.example[1].txt", Crlf("lang\nen\nbank.example/\n1024\n*\n"));
  WriteBytes(program / "Cookies.dat",
             Crlf("[Cookies to keep]\nCount=1\n0=user@bank.example[1].txt\n"));

  const fs::path stores = image / "stores";
  WriteBytes(stores / "url-cache.txt",
             Crlf("http://www.example.com/\nhttp://www.example.com/logo.gif\n"
                  "https://bank.example/login\nCookie:user@example.com/\n"
                  "Visited: User@http://www.example.com/\n"));
  WriteBytes(stores / "url-history.txt",
             Crlf("http://www.example.com/\nhttp://news.example.org/today\n"));
  WriteBytes(
      stores / "pstore.ini",
      Crlf("[Type {E161255A-37C3-11D2-BCAA-00C04FD929DB}]\nName=Internet Explorer\n"
           "[Subtype {E161255A-37C3-11D2-BCAA-00C04FD929DB} "
           "{E161255A-37C3-11D2-BCAA-00C04FD929DB}]\n"
           "Item=http://www.example.com/login:StringData\n"
           "Item=http://www.example.com/login:StringIndex\n"
           "[Type {89C39569-6841-11D2-9F59-0000F8085266}]\nName=Outlook Express\n"
           "[Subtype {89C39569-6841-11D2-9F59-0000F8085266} "
           "{89C39569-6841-11D2-9F59-0000F8085266}]\nItem=http://mail.example.com/:StringData\n"));
}

}  // namespace morvel::cli
