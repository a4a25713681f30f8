#pragma once
// A main-window controller on a fake view, a fake launcher and a port whose windows,
// files and answers a test chooses.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/custom_list_editor.h"
#include "app/main_controller.h"
#include "app/options_dialog.h"
#include "tests/unit/fake_port.h"

namespace morvel::testing {

// The view records what it was told, one event a string ("caption Cancel", "post 13329").
class RecordingView final : public app::MainView {
 public:
  void ShowMessage(std::string_view text) override { Note("message " + std::string(text)); }
  app::AskAnswer AskBeforeCleaning() override {
    ++asked;
    return {answer_yes, tick_dont_show};
  }
  void OpenCustomListsEditor(app::CustomListEditor& editor) override {
    Note("custom lists");
    if (edit_list) edit_list(editor);
  }
  void OpenSettings(app::OptionsDialog& dialog) override {
    Note("settings");
    if (settings) settings(dialog);
  }
  std::string ProgramPath() const override { return "C:\\Program Files\\Morvel\\morvel.exe"; }
  std::optional<std::string> AskSaveFileName(std::string_view folder,
                                             std::string_view name) override {
    Note("save as " + std::string(folder) + " | " + std::string(name));
    return save_name;
  }
  void SetTestCaption(std::string_view c) override { test_caption = c; }
  void ShowProgressArea() override { Note("progress area"); }
  void SetProgressPosition(int) override {}
  void SetProgressCaption(std::string_view) override {}
  void ShowProgressCaption(bool show) override { caption_shown = show; }
  void SetTotalTitle(std::string_view t) override { total_title = t; }
  void SetNumber(std::string_view n) override { number = n; }
  void SetFastModeBox(bool ticked) override { Note(ticked ? "fast box on" : "fast box off"); }
  void ClearLog() override { log.clear(); }
  void SetLogHidden(bool hidden) override { log_hidden = hidden; }
  void SetLogBuffered(bool) override {}
  void FinishLog() override { Note("finish log"); }
  std::vector<std::string> LogLines() const override { return log; }
  void AddLogLine(std::string_view line) override { log.emplace_back(line); }
  void SetProgressTimer(bool on) override { timer1 = on; }
  void SetScheduleTimer(bool on, std::int32_t ms) override {
    Note("schedule " + std::to_string(on) + " " + std::to_string(ms));
  }
  void Post(app::AppMessage m) override {
    Note("post " + std::to_string(static_cast<std::uint32_t>(m)));
    if (deliver) deliver(m);
  }
  void PostStartupMinimize() override { Note("post minimize"); }
  void ApplyGeometry(bool maximized, std::int32_t l, std::int32_t t, std::int32_t w,
                     std::int32_t h) override {
    Note("geometry " + std::to_string(maximized) + " " + std::to_string(l) + "," +
         std::to_string(t) + " " + std::to_string(w) + "x" + std::to_string(h));
  }
  void SaveSettings() override { Note("save settings"); }
  void CloseWindow() override { Note("close"); }
  void WaitWhile(const std::function<bool()>& busy) override {
    Note("wait");
    if (while_waiting) while_waiting();
    Note(busy() ? "still busy" : "idle");
  }
  void SetTrayIcon(bool add) override { Note(add ? "tray add" : "tray remove"); }
  void MinimizeToTray() override {
    Note("minimize");
    minimized = true;
  }
  void ShowMainWindow() override { Note("show"); }
  bool WindowMinimized() const override { return minimized; }
  void RestoreApplication() override {
    Note("restore");
    minimized = false;
  }
  void BringToFront() override { Note("front"); }
  void ShowTrayMenu() override { Note("tray menu"); }

  void Note(std::string event) { events.push_back(std::move(event)); }
  [[nodiscard]] bool Saw(const std::string& event) const {
    for (const auto& e : events)
      if (e == event) return true;
    return false;
  }

  std::vector<std::string> events, log;
  std::string test_caption = "Test", total_title, number;
  bool caption_shown = false, log_hidden = false, timer1 = false, minimized = false;
  int asked = 0;
  bool answer_yes = true, tick_dont_show = false;
  std::function<void()> while_waiting;
  std::function<void(app::AppMessage)> deliver;  // where posted messages go, if anywhere
  std::optional<std::string> save_name;
  // What the user does in the dialogs, if anything.
  std::function<void(app::CustomListEditor&)> edit_list;
  std::function<void(app::OptionsDialog&)> settings;
};

struct LaunchedRun {
  RunMode mode;
  RunFlags flags;
  std::vector<std::string> keys;
  std::uint32_t serial;
  std::shared_ptr<bool> terminated;
};

class FakeHandle final : public app::RunHandle {
 public:
  explicit FakeHandle(std::shared_ptr<bool> flag) : flag_(std::move(flag)) {}
  void Terminate() override { *flag_ = true; }
  std::string Failure() const override { return "disk gone"; }

 private:
  std::shared_ptr<bool> flag_;
};

// Windows and files the test sets; every question answered with `answer`.
class RigSystem final : public platform::WindowSystem, public platform::UserQuestions {
 public:
  bool TopLevelWindowExists(std::string_view c) const override {
    return windows.contains(std::string(c));
  }
  platform::Status EmptyClipboard() override { return platform::Status::Ok(); }
  platform::Answer Ask(const platform::Question& q) override {
    questions.emplace_back(q.text);
    return answer;
  }
  std::set<std::string> windows;
  std::vector<std::string> questions;
  platform::Answer answer = platform::Answer::No;
};

// An empty file system that keeps what the controller writes (its settings).
class RigFiles final : public EmptyFiles {
 public:
  platform::Result<platform::FileEntry> Stat(std::string_view p) const override {
    if (!files.contains(std::string(p))) return EmptyFiles::Stat(p);
    return platform::Result<platform::FileEntry>::Of({});
  }
  platform::Status WriteFile(std::string_view p, std::string_view bytes) override {
    files[std::string(p)] = bytes;
    return platform::Status::Ok();
  }
  std::map<std::string, std::string> files;
};

// A registry of plain values by key and name (letter case kept as written); every write
// refused with `deny`.
class RigRegistry final : public platform::Registry {
 public:
  using Names = platform::Result<std::vector<std::string>>;
  using Value = platform::Result<platform::RegistryValue>;
  bool KeyExists(platform::RootKey, std::string_view path) const override {
    return std::any_of(values.begin(), values.end(),
                       [&](const auto& v) { return v.first.first == path; });
  }
  Names SubKeyNames(platform::RootKey, std::string_view, platform::Access) const override {
    return Names::Failed(platform::ErrorKind::NotFound);
  }
  platform::Result<std::vector<platform::RegistryValue>> Values(platform::RootKey,
                                                                std::string_view) const override {
    return platform::Result<std::vector<platform::RegistryValue>>::Failed(
        platform::ErrorKind::NotFound);
  }
  Value ReadValue(platform::RootKey, std::string_view path, std::string_view name) const override {
    const auto at = values.find({std::string(path), std::string(name)});
    return at == values.end() ? Value::Failed(platform::ErrorKind::NotFound)
                              : Value::Of(at->second);
  }
  platform::Status CreateKey(platform::RootKey, std::string_view) override { return Refused(); }
  platform::Status WriteValue(platform::RootKey, std::string_view path,
                              const platform::RegistryValue& value) override {
    if (deny) return Refused();
    values[{std::string(path), value.name}] = value;
    return platform::Status::Ok();
  }
  platform::Status DeleteValue(platform::RootKey r, std::string_view path,
                               std::string_view name) override {
    if (!ReadValue(r, path, name)) return platform::Status::Error(platform::ErrorKind::NotFound);
    if (deny) return Refused();
    values.erase({std::string(path), std::string(name)});
    return platform::Status::Ok();
  }
  platform::Status DeleteTree(platform::RootKey, std::string_view) override { return Refused(); }

  std::map<std::pair<std::string, std::string>, platform::RegistryValue> values;
  bool deny = false;

 private:
  static platform::Status Refused() {
    return platform::Status::Error(platform::ErrorKind::AccessDenied);
  }
};

class RigHotKeys final : public app::HotKeyPort {
 public:
  std::uint16_t AddAtom(std::string_view) override { return atom_fails ? 0 : 0xC001; }
  std::uint16_t FindAtom(std::string_view) override { return registered ? 0xC001 : 0; }
  void DeleteAtom(std::uint16_t) override { registered = false; }
  bool RegisterHotKey(std::uint16_t, unsigned m, std::uint16_t k) override {
    ++registrations;
    modifiers = m;
    key = k;
    registered = !register_fails;
    return registered;
  }
  void UnregisterHotKey(std::uint16_t) override { registered = false; }
  void ShowError(std::string_view t) override { errors.emplace_back(t); }
  void ShowBrowsers(bool hide) override { shows.push_back(hide ? "hide" : "show"); }
  bool atom_fails = false, register_fails = false, registered = false;
  unsigned modifiers = 0;
  std::uint16_t key = 0;
  int registrations = 0;
  std::vector<std::string> errors, shows;
};

struct ControllerRig {
  void Tick(const std::string& key) { state.catalogue.TickByKey(key); }
  LaunchedRun& Last() { return runs.back(); }

  app::ProgramState state;
  RigRegistry registry;
  RigFiles files;
  EmptySystem system;
  RigSystem rig;
  NoProtectedStorage pstore;
  NoInternet internet;
  KeptTasks tasks;
  platform::Port port{registry, files, system, rig, rig, pstore, internet, tasks};
  RecordingView view;
  RigHotKeys hot_keys;
  app::BossKey boss_key{hot_keys};
  std::vector<LaunchedRun> runs;
  app::MainController controller{
      state, port, view, boss_key,
      [this](RunMode mode, RunFlags flags, std::vector<std::string> keys, std::uint32_t serial) {
        auto flag = std::make_shared<bool>(false);
        runs.push_back({mode, flags, std::move(keys), serial, flag});
        return std::make_shared<FakeHandle>(flag);
      }};
};

}  // namespace morvel::testing
