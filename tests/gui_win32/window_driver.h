#pragma once
// Driving the real morvel.exe under Wine as a user would: started in a scratch folder of
// the private prefix with a settings.ini of the test's, found by its class, read back
// through its controls and the screen, and given window messages, mouse-free key presses
// and screenshots. Ids, texts and message numbers are the program's own headers.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "app/product.h"
#include "gui/resource.h"

namespace morvel::testing::gui {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kFolder = L"C:\\morvel-gui-test";
const fs::path kTraces = kFolder / "traces";
// A key of the prefix's real registry: its "Last Search" value is on the list, "Theme" is not.
constexpr wchar_t kTraceKey[] = L"Software\\Morvel GUI Test";

std::wstring Wide(std::string_view ascii);
inline const std::wstring kMainClass = Wide(app::kMainWindowClass);
inline UINT MessageOf(app::AppMessage m) { return static_cast<UINT>(m); }

fs::path BuildFolder();
void WriteFile(const fs::path& path, const std::string& text);
// The file's bytes; empty when it cannot be read.
std::string ReadFile(const fs::path& path);

// Runs `done` until it holds or `limit` passes, handling this thread's messages meanwhile
// (the boss key shows and hides a window of this thread).
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s);

// A window's text as the window itself gives it (an edit control's contents too).
std::wstring TextOf(HWND window);
// The entries of a list box of another process.
std::vector<std::wstring> ListBoxItems(HWND list_box);
std::vector<std::wstring> LogOf(HWND main);
// The text of a row's column in a list view of another process (owner data included).
std::wstring ListViewText(HWND list_view, int row, int column);
// A dialog (or message box) of `owner` with this caption, once it is visible; null after
// 20 seconds.
HWND DialogOf(HWND owner, const std::wstring& caption);

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line);
bool HasLineStarting(const std::vector<std::wstring>& lines, const std::wstring& start);

// morvel.exe of kFolder, started with `argument`; closed (or ended) when the test is done.
class Program {
 public:
  explicit Program(const std::wstring& argument = L"");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  [[nodiscard]] bool Ended(DWORD ms) const;
  [[nodiscard]] DWORD ExitCode() const;
  // The main window once it is visible; null after 20 seconds.
  [[nodiscard]] HWND Window() const;

 private:
  bool ok_ = false;
  PROCESS_INFORMATION info_{};
};

// A click on the button `id` of the window or dialog.
void Click(HWND main, int id);
// A Test or Clean run has ended: "Finished!" on the bar and Test on the button again.
bool Finished(HWND main);
// The window has drawn itself: the catalogue is in the tree, its queue is empty, and the
// title strip holds the decoded picture (many colours, where a blank area has one).
bool Painted(HWND main);

// Paints now what the window has still to paint (its own and every child's), so that a
// screenshot shows it whole.
void Settle(HWND main);

// The screen, captured at once.
class Screen {
 public:
  Screen();
  [[nodiscard]] COLORREF At(int x, int y) const;
  // How many colours the pixels of `r` (screen coordinates) have, up to `enough`.
  [[nodiscard]] int Colours(const RECT& r, int enough = 2) const;
  // As a bitmap file.
  void Save(const fs::path& file) const;

 private:
  int width_ = 0, height_ = 0, stride_ = 0;
  std::vector<std::uint8_t> bgr_;
};

// A window's visible child controls: id, class and screen rectangle.
struct Child {
  int id;
  std::wstring cls;
  RECT rect;
  bool container;  // a group box or tab strip frames others
};
std::vector<Child> VisibleChildren(HWND main);
// The ids of the visible buttons, links and labels with text whose pixels are all one
// colour (not drawn), and the pairs of visible controls over each other (frames aside).
std::vector<int> Blank(HWND window);
std::vector<std::wstring> Overlaps(HWND window);
// Both empty, waiting at most a few seconds for the window to paint.
void ExpectDrawnAndApart(HWND window, const char* when);
// Visible controls reaching out of the window's client area.
std::vector<int> OutsideClient(HWND window);
// Every control of the dialog drawn, none over another or out of its client area; then a
// screenshot, build/morvel-<name>.bmp.
void ExpectWholeAndShoot(HWND dialog, const std::string& name);
bool Shows(HWND dialog, int id);

// Key presses through the system's input, to the foreground window.
void Press(WORD key, bool alt = false);
// `key` pressed while the keys `held` (VK_CONTROL, VK_SHIFT, VK_MENU) are held down.
void PressWith(std::initializer_list<WORD> held, WORD key);

// A dialog of the program ("#32770") by its caption, once it is visible; null after 20 s.
HWND WaitForDialog(std::string_view caption);
// Whether `window` is gone within `limit`.
bool Closed(HWND window, std::chrono::milliseconds limit = 5s);
// A visible top-level window of the class Internet Explorer's frame has, which the boss
// key hides; the caller destroys it.
HWND BrowserWindow();
// A check box or radio button set and reported clicked; a radio's siblings in `group`
// cleared first.
void Check(HWND dialog, int id, bool on = true, std::initializer_list<int> group = {});
// A control's text with its mnemonic marks ("&") taken out.
std::wstring CaptionOf(HWND dialog, int id);

// Messages whose data is a pointer, sent to a window of another process: the data lives
// in that process for as long as this lives.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  [[nodiscard]] void* address() const { return address_; }
  void Write(const void* data, std::size_t size, std::size_t offset = 0);
  void Read(void* data, std::size_t size, std::size_t offset = 0) const;

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};
// The texts of a list view's first column, of a tab control's tabs.
std::vector<std::wstring> ListViewRows(HWND list);
std::vector<std::wstring> TabCaptions(HWND tabs);
// Selects one row of a list view (LVM_SETITEMSTATE), as a click on it would.
void SelectListViewRow(HWND list, int row);
// The screen rectangle of the label of the tree item whose text is `text` (any depth).
std::optional<RECT> TreeItemLabel(HWND tree, const std::wstring& text);
// That item's state image (1 unticked, 2 ticked), 0 when there is no such item.
int TreeItemStateImage(HWND tree, const std::wstring& text);
// The hints (tooltip tools) of `owner`'s tooltips: where each shows, in the owner's client
// coordinates, and its text.
struct Hint {
  RECT rect;
  std::wstring text;
};
std::vector<Hint> HintsOf(HWND owner);
// A real left click at a screen point.
void ClickAt(POINT point);
// The control with the keyboard focus in `window`'s thread, and whether a menu is open.
HWND FocusOf(HWND window);
bool MenuOpen(HWND window);
// Makes `window` the foreground window and waits until it is.
bool Foreground(HWND window);

}  // namespace morvel::testing::gui
