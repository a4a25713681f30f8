#pragma once
// Facts about the machine, the process and the desktop that the program asks about.

#include <string>
#include <string_view>

namespace morvel::platform {

enum class WindowsFamily { Nt, Win9x };

struct WindowsVersion {
  WindowsFamily family = WindowsFamily::Nt;
  unsigned major = 6;
  unsigned minor = 1;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The folder of the running program with a trailing "\": where settings.ini,
  // Morvel.dat, Clist.dat and Cookies.dat live.
  [[nodiscard]] virtual std::string ExecutableFolder() const = 0;

  [[nodiscard]] virtual WindowsVersion Version() const = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Whether a top-level window of this class exists (FindWindow with no title).
  [[nodiscard]] virtual bool TopLevelWindowExists(std::string_view class_name) const = 0;
};

}  // namespace morvel::platform
