#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Value.h"

namespace kestrix {

struct TVerdict;

// One kind of problem a file can have: a row of the table below, which is
// all the verdict and the output forms know of it.
struct TProblem {
  std::string_view Name;  // as the machine-readable forms write it
  bool IsDamage;          // else a warning
  // Whether the verdict's figures show this problem.
  bool (*Applies)(const TVerdict& Verdict);
  // The problem in words with its figures, for --verify; counts grouped
  // with Thousands.
  std::u16string (*Text)(const TVerdict& Verdict, const std::string& Thousands);
  // Its figures, for the JSON details; null for a problem that has none.
  std::vector<TFigure> (*Details)(const TVerdict& Verdict);
};

// Every problem in the order it is listed: the damage, then the warnings.
extern const std::array<TProblem, 21> Problems;

// The row of that name; null when there is none.
const TProblem* FindProblem(std::string_view Name);

}  // namespace kestrix
