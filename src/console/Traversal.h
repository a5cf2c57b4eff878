#pragma once

#include <set>
#include <string>

#include "console/FileActions.h"
#include "platform/FileSystem.h"
#include "text/WideWriter.h"

namespace kestrix {

class TProgress;

// What one walk remembers across its folders.
struct TWalk {
  TFileAction* Action = nullptr;  // not owned; must be set before the walk
  // Not owned; must be set before the walk. Once its reader has gone, no
  // further file is read.
  const TTextWriter* Output = nullptr;
  bool Recursive = false;
  int FailedFiles = 0;  // files that could not be read
  std::set<platform::TFolderId> VisitedFolders;
  TProgress* Progress = nullptr;  // told of every folder and file, when there is one
};

// Reports every file that Path (a file, a mask with * and ?, or a folder)
// matches, and with a recursive walk the same in every folder below, depth
// first. True when any file matched.
bool ProcessPath(const std::u16string& Path, TWalk& Walk);

// Path operations of the walk; the delimiters are the platform's.
std::u16string AddTrailingSeparator(const std::u16string& Path);
std::u16string DirectoryPart(const std::u16string& Path);
std::u16string NamePart(const std::u16string& Path);

}  // namespace kestrix
