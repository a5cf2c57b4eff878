#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/Options.h"
#include "platform/InputFile.h"

namespace kestrix {

// Cuts the bytes of a file list into names as they arrive, keeping only
// the name not yet complete. A line may end in CR LF; empty names are
// skipped.
class TNameSplitter {
 public:
  explicit TNameSplitter(TListSeparator Separator) : Separator(Separator) {}

  // The next bytes of the list.
  void Add(std::string_view Bytes);
  // No more bytes come: what follows the last separator is a name too.
  void End() { Ended = true; }
  // The next whole name; none until more bytes or the end come.
  std::optional<std::string> Next();
  // A NUL byte stood in a list of lines: it is no such list.
  bool HeldNul() const { return Nul; }

 private:
  TListSeparator Separator;
  std::string Pending;    // bytes not yet handed out as names
  std::size_t Start = 0;  // where in Pending the next name starts
  bool Ended = false;
  bool Nul = false;
};

// One file list, read as its names are asked for, so that a list of
// millions of names never lies in memory whole. Its names are the bytes
// they are: as UTF-8 where they are, escaped bytes elsewhere, as names
// from a POSIX command line.
class TFileList {
 public:
  explicit TFileList(TFileListName Name) : Name(std::move(Name)), Splitter(this->Name.Separator) {}

  // Opens the list and reads its first bytes; none, or the message of
  // why the list cannot be used.
  std::optional<std::u16string> Open();
  // The next name; none at the end of the list, or once it failed.
  std::optional<std::u16string> Next();
  // Why the list ended before its end, when it did.
  const std::optional<std::u16string>& Failure() const { return Error; }

 private:
  // False at the end or on a failure.
  bool ReadMore();

  TFileListName Name;
  platform::TInputFile Input;
  TNameSplitter Splitter;
  bool AtEnd = false;
  std::optional<std::u16string> Error;
};

// The paths of a run: the command line's own, then each list's as it is
// read, in the order the lists were given.
class TPathSource {
 public:
  TPathSource(std::vector<std::u16string> Paths, const std::vector<TFileListName>& Lists);

  // Opens every list before anything runs; none, or the message of the
  // first that cannot be used.
  std::optional<std::u16string> Open();
  // Whether any path is to come at all (reads up to the first one).
  bool AnyPath();
  std::optional<std::u16string> Next();
  // The messages of the lists that ended before their end.
  std::vector<std::u16string> Failures() const;

 private:
  std::optional<std::u16string> Read();

  std::vector<std::u16string> Paths;
  std::size_t NextPath = 0;
  std::vector<std::unique_ptr<TFileList>> Lists;
  std::size_t CurrentList = 0;
  std::optional<std::u16string> Ahead;  // read by AnyPath, not yet handed out
};

}  // namespace kestrix
