#pragma once

#include <array>
#include <string_view>

#include "analysis/FileCheck.h"
#include "analysis/Value.h"

// What the machine-readable forms tell of a file besides its verdict and
// its LAME tag: one table of the stream's facts and one of its tags, which
// JSON prints as objects and CSV as columns.
namespace kestrix {

// An object within a group, present or not as a whole: JSON nests its facts
// under Key, or gives null there when it is absent.
struct TFactObject {
  std::string_view Key;
  bool (*Present)(const TFileCheck& Check);
};

struct TFact {
  const TFactObject* Within;  // null: directly in the group
  std::string_view Key;       // in JSON
  std::string_view Column;    // in CSV; empty for a fact CSV does not show
  // Asked only when the group and the object it is in are present.
  TValue (*Value)(const TFileCheck& Check);
};

// JSON "stream", null for a file without a stream; CSV columns left empty
// then.
extern const std::array<TFact, 16> StreamFacts;
bool HasStreamFacts(const TFileCheck& Check);

// JSON "tags", null for an error.
extern const std::array<TFact, 3> TagFacts;
bool HasTagFacts(const TFileCheck& Check);

}  // namespace kestrix
