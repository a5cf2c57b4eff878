#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "console/FileActions.h"
#include "console/Listing.h"
#include "platform/FileSystem.h"
#include "text/WideWriter.h"

namespace kestrix {

class TProgress;

// What a run's walk is given, and what it found out.
struct TWalk {
  TFileAction* Action = nullptr;  // not owned; must be set before the walk
  // Not owned; must be set before the walk. Once its reader has gone, no
  // further file is read.
  const TTextWriter* Output = nullptr;
  bool Recursive = false;
  int Jobs = 1;                   // files analysed at once
  TProgress* Progress = nullptr;  // told of every folder and file, when there is one

  int FailedFiles = 0;                  // files that could not be read
  std::vector<std::u16string> Missing;  // the paths that matched nothing, in order
};

// Yields the paths of a run one at a time; none after the last.
using TNextPath = std::function<std::optional<std::u16string>()>;

// Hands every file that each path matches to the walk's action, in the
// order of the paths and of their listings, each path walked on its own:
// the files are analysed on the walk's jobs while the listing runs ahead,
// and printed in that order on this thread, byte for byte as one after
// the other. A path that matched nothing (and whose folder the form did
// not report as an error entry) is remembered in Missing.
void WalkPaths(const TNextPath& NextPath, TWalk& Walk);

}  // namespace kestrix
