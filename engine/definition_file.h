#pragma once
// The cleaning definition files beside the executable: "Clist.dat" (the user's custom
// list) and "Morvel.dat" (shipped). INI format, one section per clean item, named after
// the item key's text after " - ". Entry lines:
//
//   DelRegValue<n>=ROOT\key path              remove the key with its sub-tree
//   DelRegValue<n>=ROOT\key path,value name   remove that value
//   DelRegValue<n>=ROOT\key path,             remove every value and sub-key, keep the key
//   DelFile<n>=FIRST\folder                   remove the folder with everything in it
//   DelFile<n>=FIRST\folder,mask              remove the folder's files matching the mask
//
// ROOT is one of the five full root names in any letter case. FIRST is a drive ("C:") or
// one of the macros %ProgramFiles%, %windir%, {Local AppData}, {Current AppData},
// {Common AppData} and {C: Drive}, matched with case. Only the first "," separates. A line
// is a registry entry when it contains "DelRegValue" and a file entry when it contains
// "DelFile" (both with case); other lines are ignored, as is the number.

#include <string_view>

#include "engine/action.h"
#include "engine/executor.h"

namespace morvel {

// The section of `item_key` in the definition file `file_name` beside the executable, as
// actions, in file order; none for a missing file or section. The macros are resolved once,
// before any entry. Clist.dat's folders and keys are the user's own (FolderOrigin::User);
// Morvel.dat's are the program's. A root that names none of the five, and a file entry
// whose macro resolves to nothing, give no action: the latter is not taken to mean the
// root of the current drive.
//
// Value entries under HKEY_LOCAL_MACHINE need an administrator on NT-based Windows; without
// one they are skipped and the user is told once per item ("You must have administrators
// user."), except in an unattended run.
Actions CompileDefinitionSection(RunContext& run, std::string_view file_name,
                                 std::string_view item_key);

// Compiles the section and runs it on the executor.
Tally RunDefinitionSection(Executor& executor, std::string_view file_name,
                           std::string_view item_key);

}  // namespace morvel
