#pragma once

#include <cstdint>
#include <string>

namespace morvel {

// Kilobytes rounded up, with "," between groups of three digits: 1025 bytes give "2",
// 1,048,577 bytes give "1,025".
std::string FormatKB(std::uint64_t bytes);

}  // namespace morvel
