#pragma once
// A community entry in the cleaning language: the same actions the built-in items and the
// definition files run on, so that every door of the executor holds for it unchanged.
//
//   FileKey     one CleanFolder per folder its variable stands for (both Program Files
//               folders on 64-bit Windows): the variable's folder named in full, then one
//               segment per name ("*" and "?" make it a listing segment), its masks in one
//               pass; RECURSE goes below and removes no folder, REMOVESELF also removes the
//               sub-folders it empties and the folder itself. Always a program's folder:
//               the guard decides on every folder it reaches.
//   RegKey      a DeleteKey, or a DeleteValue for "|value".
//   ExcludeKey  FILE and PATH: kept paths of every CleanFolder of the entry; REG: kept keys
//               and values of the DeleteKeys they lie in, and no action at all for a RegKey
//               they cover whole.

#include "engine/action.h"
#include "engine/community/entry.h"
#include "engine/community/variables.h"

namespace morvel::community {

// FileKeys first, then RegKeys, each in file order.
Actions CompileEntry(const Entry& entry, const VariableValues& values);

}  // namespace morvel::community
