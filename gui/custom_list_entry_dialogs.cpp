#include "gui/custom_list_entry_dialogs.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/help_topics.h"
#include "app/product.h"
#include "gui/base/barrier.h"
#include "gui/base/dialog.h"
#include "gui/base/window_tools.h"
#include "gui/list_box.h"
#include "gui/resource.h"
#include "platform/win32/win32_util.h"

namespace morvel::gui {

namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

// The folder's existence is looked at again now and then: it may go while the dialog waits.
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleMs = 500;

// What both entry dialogs share: the form they edit, the entry OK gives, and OK itself.
template <class Form>
class EntryView : public Dialog {
 public:
  EntryView(HINSTANCE instance, int template_id, Form form)
      : Dialog(instance, template_id), form_(std::move(form)) {}
  std::optional<std::string> entry;

 protected:
  std::string_view HelpTopic() const override { return app::kHelpCustomList; }
  // OK: the dialog closes with the form's entry, or stays open after the form's refusal.
  bool Accept() {
    if (!form_.OkEnabled()) return true;
    const app::EntryResult result = form_.Accept();
    if (!result.entry) {
      ShowRefusal(hwnd(), result.message);
      return true;
    }
    entry = result.entry;
    Close(IDOK);
    return true;
  }

  Form form_;
};

class RegistryView final : public EntryView<app::RegistryEntryForm> {
 public:
  RegistryView(HINSTANCE instance, app::RegistryEntryForm form)
      : EntryView(instance, IDD_ADDREGISTRY, std::move(form)) {}

 protected:
  void OnInit() override {
    // From a copy: each text set notifies OnCommand, which reads the half-filled controls
    // back into form_.
    const app::RegistryEntryForm initial = form_;
    SetText(IDC_AR_KEY, initial.key);
    SetText(IDC_AR_VALUE, initial.value);
    SetChecked(IDC_AR_DELETEKEY, initial.action == app::RegistryAction::DeleteKey);
    SetChecked(IDC_AR_DELETEVALUES, initial.action == app::RegistryAction::DeleteAllValues);
    SetChecked(IDC_AR_DELETEVALUE, initial.action == app::RegistryAction::DeleteValue);
    Update();
  }
  bool OnCommand(int id, int) override {
    if (id == IDC_AR_REGEDIT) {
      // The dialog stays open; a missing editor is not our failure.
      OpenWithShell(hwnd(), "Regedit.exe", SW_SHOWNORMAL);
      return true;
    }
    Read();
    Update();
    return id == IDOK && Accept();
  }

 private:
  void Read() {
    form_.key = Text(IDC_AR_KEY);
    form_.value = Text(IDC_AR_VALUE);
    form_.action = Checked(IDC_AR_DELETEVALUE)    ? app::RegistryAction::DeleteValue
                   : Checked(IDC_AR_DELETEVALUES) ? app::RegistryAction::DeleteAllValues
                                                  : app::RegistryAction::DeleteKey;
  }
  void Update() {
    EnableWindow(Item(IDC_AR_VALUE), form_.ValueEnabled());
    EnableWindow(Item(IDOK), form_.OkEnabled());
  }
};

int CALLBACK CentreBrowser(HWND window, UINT message, LPARAM, LPARAM) {
  return Guarded(
      "folder browser",
      [&] {
        if (message == BFFM_INITIALIZED) {
          RECT client;
          GetClientRect(window, &client);
          SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - client.right) / 2,
                       (GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
      },
      [] { return 0; });
}

// The shell's folder browser: file-system folders only, nothing chosen at first.
std::optional<std::string> BrowseForFolder(HWND owner) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = L"Please select the directory to add";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = CentreBrowser;
  std::optional<std::string> path;
  if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, folder)) path = Narrow(folder);
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return path;
}

class FolderView final : public EntryView<app::FolderEntryForm> {
 public:
  FolderView(HINSTANCE instance, app::FolderEntryForm form)
      : EntryView(instance, IDD_ADDFOLDER, std::move(form)) {}

 protected:
  void OnInit() override {
    // From a copy, as in the registry dialog: the folder's text notifies OnCommand.
    const app::FolderEntryForm initial = form_;
    SetChecked(IDC_AF_SINGLE, initial.option == app::FolderOption::SingleFile);
    SetChecked(IDC_AF_MULTIPLE, initial.option == app::FolderOption::WholeFolder);
    SetChecked(IDC_AF_DELETEFOLDER, initial.delete_folder);
    SetChecked(IDC_AF_DELETEFILES, !initial.delete_folder);
    SetText(IDC_AF_MATCH, initial.mask);
    SetText(IDC_AF_FOLDER, initial.folder);
    ShowOption();
    SetTimer(hwnd(), kIdleTimer, kIdleMs, nullptr);
  }
  bool OnCommand(int id, int notification) override {
    if (id == IDC_AF_BROWSE) {
      // The new text's change notice fills the file list.
      if (const auto folder = BrowseForFolder(hwnd())) SetText(IDC_AF_FOLDER, *folder);
    } else if ((id == IDC_AF_SINGLE || id == IDC_AF_MULTIPLE) && notification == BN_CLICKED) {
      ShowOption();
    } else if (id == IDC_AF_FOLDER && notification == EN_CHANGE && Checked(IDC_AF_SINGLE)) {
      // The file list follows the folder as it is typed: a file chosen in another
      // folder must not be taken for one of this folder.
      FillFiles();
    }
    Update();
    if (id != IDOK) return id == IDC_AF_BROWSE;
    return Accept();
  }
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message != WM_TIMER || wparam != kIdleTimer) return std::nullopt;
    Update();
    return TRUE;
  }

 private:
  void ShowOption() {
    const bool single = Checked(IDC_AF_SINGLE);
    for (int id : {IDC_AF_SELECTFILE, IDC_AF_FILES})
      ShowWindow(Item(id), single ? SW_SHOW : SW_HIDE);
    for (int id :
         {IDC_AF_WASHMODE, IDC_AF_DELETEFOLDER, IDC_AF_DELETEFILES, IDC_AF_MATCH, IDC_AF_MATCHHINT})
      ShowWindow(Item(id), single ? SW_HIDE : SW_SHOW);
    if (single) FillFiles();
  }
  void FillFiles() {
    HWND list = Item(IDC_AF_FILES);
    form_.folder = Text(IDC_AF_FOLDER);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : form_.FilesOfFolder())
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  }
  void Read() {
    form_.folder = Text(IDC_AF_FOLDER);
    form_.option =
        Checked(IDC_AF_SINGLE) ? app::FolderOption::SingleFile : app::FolderOption::WholeFolder;
    form_.file.reset();
    HWND list = Item(IDC_AF_FILES);
    if (const int selected = SelectionOf(list); selected >= 0) {
      std::wstring name(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, selected, 0)),
                        L'\0');
      SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(name.data()));
      form_.file = Narrow(name);
    }
    form_.delete_folder = Checked(IDC_AF_DELETEFOLDER);
    form_.mask = Text(IDC_AF_MATCH);
  }
  void Update() {
    Read();
    EnableWindow(Item(IDOK), form_.OkEnabled());
  }
};

template <class View, class Form>
std::optional<std::string> Ask(HINSTANCE instance, HWND owner, Form form) {
  View view(instance, std::move(form));
  if (view.RunModal(owner) != IDOK) return std::nullopt;
  return view.entry;
}

}  // namespace

std::optional<std::string> AskRegistryEntry(HINSTANCE instance, HWND owner,
                                            app::RegistryEntryForm form) {
  return Ask<RegistryView>(instance, owner, std::move(form));
}

std::optional<std::string> AskFolderEntry(HINSTANCE instance, HWND owner,
                                          app::FolderEntryForm form) {
  return Ask<FolderView>(instance, owner, std::move(form));
}

void ShowRefusal(HWND dialog, std::string_view message) {
  ShowMessageBox(dialog, message, app::kProductName, MB_OK | MB_ICONERROR);
}

}  // namespace morvel::gui
