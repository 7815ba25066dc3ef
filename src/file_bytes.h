// Reading small files that the kernel or a broken system may serve in any state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The first `limit` bytes of a regular file (fewer if it is shorter). Empty when the file is
// missing, unreadable or not a regular file: a pipe or device could block forever.
std::vector<std::uint8_t> readFileStart(const std::string &path, std::size_t limit);
