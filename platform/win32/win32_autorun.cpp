#include "platform/win32/win32_autorun.h"

#include <windows.h>

#include <oleauto.h>
#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <string>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_util.h"

namespace morvel::platform::win32 {
namespace {

// The scheduler's object and its ITaskService, by value: no uuid library needed.
constexpr CLSID kTaskScheduler = {
    0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
constexpr IID kTaskService = {
    0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

class Bstr {
 public:
  explicit Bstr(std::string_view utf8) : text_(SysAllocString(Wide(utf8).c_str())) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  [[nodiscard]] BSTR get() const { return text_; }

 private:
  BSTR text_;
};

Status StatusOfResult(HRESULT hr) {
  if (SUCCEEDED(hr)) return Status::Ok();
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return StatusOf(HRESULT_CODE(hr));
  const auto code = static_cast<std::uint32_t>(hr);
  if (hr == E_ACCESSDENIED) return Status::Error(ErrorKind::AccessDenied, code);
  // The scheduler's own codes (SCHED_E_...) say what it found wrong in a definition.
  if (HRESULT_FACILITY(hr) == FACILITY_ITF || hr == E_INVALIDARG)
    return Status::Error(ErrorKind::InvalidArgument, code);
  return Status::Error(ErrorKind::Other, code);
}

// A task's name is one name of the root folder: nothing built from it may reach another.
bool IsTaskName(std::string_view name) {
  return !name.empty() && name.find_first_of("\\/") == std::string_view::npos && name != "." &&
         name != "..";
}

// The scheduler's root folder, connected for the current user; null with the reason.
ComPtr<ITaskFolder> RootFolder(Status& why) {
  ITaskService* raw_service = nullptr;
  HRESULT hr = CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kTaskService,
                                reinterpret_cast<void**>(&raw_service));
  if (FAILED(hr)) {
    // No Task Scheduler 2.0: Windows XP and older.
    why = Status::Error(ErrorKind::NotFound, static_cast<std::uint32_t>(hr));
    return nullptr;
  }
  const ComPtr<ITaskService> service(raw_service);
  VARIANT none;
  VariantInit(&none);
  if (hr = service->Connect(none, none, none, none); FAILED(hr)) {
    why = Status::Error(ErrorKind::NotFound, static_cast<std::uint32_t>(hr));
    return nullptr;
  }
  ITaskFolder* raw_folder = nullptr;
  const Bstr root("\\");
  hr = service->GetFolder(root.get(), &raw_folder);
  ComPtr<ITaskFolder> folder(raw_folder);
  why = StatusOfResult(hr);
  return FAILED(hr) ? nullptr : std::move(folder);
}

class Win32LogonTasks final : public LogonTasks {
 public:
  [[nodiscard]] bool Available() const override {
    const ComScope com;
    Status why;
    return RootFolder(why) != nullptr;
  }

  [[nodiscard]] std::string CurrentUser() const override {
    wchar_t name[512] = {};
    ULONG size = 512;
    if (GetUserNameExW(NameSamCompatible, name, &size)) return Narrow(name);
    // Without the security library's answer: the computer's account of that name.
    wchar_t user[257] = {}, computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD user_size = 257, computer_size = MAX_COMPUTERNAME_LENGTH + 1;
    GetUserNameW(user, &user_size);
    GetComputerNameW(computer, &computer_size);
    return Narrow(std::wstring(computer) + L"\\" + user);
  }

  [[nodiscard]] Result<bool> Exists(std::string_view name) const override {
    const ComScope com;
    Status why;
    if (!IsTaskName(name)) return Result<bool>::Failed(ErrorKind::InvalidArgument);
    const auto root = RootFolder(why);
    if (!root) return {false, why};
    IRegisteredTask* raw = nullptr;
    const HRESULT hr = root->GetTask(Bstr(name).get(), &raw);
    const ComPtr<IRegisteredTask> task(raw);
    if (SUCCEEDED(hr)) return Result<bool>::Of(true);
    const Status status = StatusOfResult(hr);
    if (status.kind == ErrorKind::NotFound) return Result<bool>::Of(false);
    return {false, status};
  }

  Status Register(std::string_view name, std::string_view xml) override {
    const ComScope com;
    Status why;
    if (!IsTaskName(name)) return Status::Error(ErrorKind::InvalidArgument);
    const auto root = RootFolder(why);
    if (!root) return why;
    VARIANT none;
    VariantInit(&none);
    IRegisteredTask* raw = nullptr;
    // The definition's own principal decides who runs it; no password is kept.
    const HRESULT hr = root->RegisterTask(Bstr(name).get(), Bstr(xml).get(), TASK_CREATE_OR_UPDATE,
                                          none, none, TASK_LOGON_INTERACTIVE_TOKEN, none, &raw);
    const ComPtr<IRegisteredTask> task(raw);
    return StatusOfResult(hr);
  }

  Status Remove(std::string_view name) override {
    const ComScope com;
    Status why;
    if (!IsTaskName(name)) return Status::Error(ErrorKind::InvalidArgument);
    const auto root = RootFolder(why);
    if (!root) return why;
    return StatusOfResult(root->DeleteTask(Bstr(name).get(), 0));
  }
};

}  // namespace

std::unique_ptr<LogonTasks> MakeWin32LogonTasks() { return std::make_unique<Win32LogonTasks>(); }

}  // namespace morvel::platform::win32
