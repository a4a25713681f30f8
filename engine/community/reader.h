#pragma once
// Reads the community file (Winapp2.ini) into entries.
//
// The format, as the winapp2 project defines it: an INI file of one section per entry,
// "[Name *]"; in each, LangSecRef= (a category number, categories.h) or Section= (a
// category's own name); Detect/DetectN= (a registry key), DetectFile/DetectFileN= (a
// path, "*" in its last name); FileKeyN=, RegKeyN=, ExcludeKeyN= (lines.h); Warning=.
// Keys match without regard to letter case; ";" starts a comment line; of two lines of the
// same key in an entry, and of two sections of the same name, the first counts, as the
// profile functions read them. The text may be UTF-8 or UTF-16 with its byte-order mark.
//
// Whatever the bytes, reading ends with a result: a file that is too large or not text is
// refused whole; lines that are too long or not text, unknown keys and values that do not
// parse are skipped; entries past the limit are left out. Each with its reason.

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/community/entry.h"

namespace morvel::community {

struct ReadLimits {
  std::size_t max_bytes = std::size_t{16} << 20;  // the file of 2025 has 1.8 MB
  std::size_t max_line = 8192;                    // its longest line has 1,049 characters
  std::size_t max_entries = 20000;                // it has 4,065 entries
  std::size_t max_lines_per_entry = 4096;         // its largest entry has 430 lines
  // Past this many skipped lines the file is plainly not what it claims to be.
  std::size_t max_skipped = 1000;
};

Definitions ReadDefinitions(std::string_view bytes, const ReadLimits& limits = {});

// Why a file larger than the limit is not read.
std::string TooLargeWhy(const ReadLimits& limits);

}  // namespace morvel::community
