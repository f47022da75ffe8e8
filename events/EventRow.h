// The texts of one row of an event viewer: columns 1..7 of its grid (the empty
// margin column 0 is not kept), UTF-8.
#pragma once
#include <array>
#include <string>

namespace zul {

constexpr int kEventColumns = 7;
using EventRow = std::array<std::string, kEventColumns>;

}  // namespace zul
