#pragma once

#include <set>
#include <string>

#include "console/FileActions.h"
#include "console/Listing.h"
#include "platform/FileSystem.h"
#include "text/WideWriter.h"

namespace kestrix {

class TProgress;

// What one walk remembers across its folders.
struct TWalk {
  TFileAction* Action = nullptr;  // not owned; must be set before the walk
  // Not owned; must be set before the walk. Every file is read through it.
  platform::TReadBuffer* Buffer = nullptr;
  // Not owned; must be set before the walk. Once its reader has gone, no
  // further file is read.
  const TTextWriter* Output = nullptr;
  bool Recursive = false;
  int FailedFiles = 0;  // files that could not be read
  std::set<platform::TFolderId> VisitedFolders;
  TProgress* Progress = nullptr;  // told of every folder and file, when there is one
};

// Hands every file of the listing of Path to the walk's action, in the
// order of the listing. True when any file matched, or a folder that could
// not be listed was reported as an entry of its own.
bool ProcessPath(const std::u16string& Path, TWalk& Walk);

}  // namespace kestrix
