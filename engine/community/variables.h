#pragma once
// The variables of the community's definitions and what they stand for on this machine.
//
//   %AppData%                      the roaming application data (CSIDL_APPDATA)
//   %LocalAppData%                 local application data
//   %LocalLowAppData%              its low-integrity twin, "AppData\LocalLow"
//   %ProgramData%, %CommonAppData% the machine's application data ("C:\ProgramData")
//   %UserProfile%                  the user's profile
//   %Documents%, %Music%, %Pictures%, %Video%   the user's own folders
//   %Public%                       the public profile ("C:\Users\Public")
//   %SystemDrive%                  the drive of the Windows folder ("C:")
//   %WinDir%, %SystemRoot%         the Windows folder
//   %Temp%                         the user's temporary folder
//   %UserName%                     the user's logon name (a name, not a folder)
//   %ProgramFiles%                 the Program Files folder; on 64-bit Windows both the
//                                  64-bit and the 32-bit one ("Program Files (x86)")
//   %CommonProgramFiles%           "Common Files" in each of those
//
// Names match without regard to letter case, as Windows' environment does.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/community/entry.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace morvel::community {

// The variable a name between "%" signs names; nullopt for one the format does not have.
std::optional<Variable> VariableNamed(std::string_view name);
// Its name as the format writes it, without the "%" signs.
std::string_view VariableName(Variable variable);

inline constexpr std::size_t kVariableCount = 18;

class VariableValues {
 public:
  // Nothing known: every variable stands for no folder.
  VariableValues() = default;
  // Every variable looked up once on this machine. A folder the machine cannot tell, or
  // that is not an absolute path ("C:\..."), is left out: a path built on it could lead
  // anywhere.
  VariableValues(const platform::SystemInfo& system, const platform::Registry& registry);

  // The folders a variable stands for, without a trailing "\" ("C:" for a drive).
  [[nodiscard]] const std::vector<std::string>& Folders(Variable variable) const;
  void SetFolders(Variable variable, std::vector<std::string> folders);
  [[nodiscard]] const std::string& UserName() const { return user_name_; }
  void SetUserName(std::string name) { user_name_ = std::move(name); }

  // The names of `pattern` with the user's name put in for every "%UserName%"; nullopt when
  // there is one and the user is not known.
  [[nodiscard]] std::optional<std::vector<std::string>> Names(const PathPattern& pattern) const;

  // The full paths `pattern` stands for, one per folder of its variable, "%UserName%" put in:
  // "C:\Users\User\AppData\Local\Vendor\Cache*"; a drive alone as "C:\". None when the
  // variable stands for no folder, or a name holds %UserName% and the user is not known.
  [[nodiscard]] std::vector<std::string> Expand(const PathPattern& pattern) const;

 private:
  std::array<std::vector<std::string>, kVariableCount> folders_;
  std::string user_name_;
};

}  // namespace morvel::community
