#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrix {

// A value the machine-readable forms print, whatever their form: JSON makes
// it a JSON value (none is null), CSV a cell (none is empty, a list is
// joined by ";"). Texts are ASCII.
using TValue = std::variant<std::monostate, bool, std::int64_t, double, std::string,
                            std::vector<std::int64_t>, std::vector<std::string>>;

// One named value of a problem's details.
struct TFigure {
  std::string_view Name;
  TValue Value;
};

}  // namespace kestrix
