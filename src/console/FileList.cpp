#include "console/FileList.h"

#include <utility>

#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view StandardInputName = u"-";
// One read of a list; a name may span any number of them.
constexpr std::size_t ReadSize = std::size_t{64} << 10;

char SeparatorByte(TListSeparator Separator) {
  return Separator == TListSeparator::Nul ? '\0' : '\n';
}

std::u16string CannotRead(const std::u16string& List, const std::string& Why) {
  return FormatText(u"Cannot read the file list '%s': %s", {List, platform::Widen(Why)});
}

}  // namespace

void TNameSplitter::Add(std::string_view Bytes) {
  if (Separator == TListSeparator::Line && Bytes.find('\0') != std::string_view::npos) {
    Nul = true;
  }
  Pending.erase(0, Start);
  Start = 0;
  Pending.append(Bytes);
}

std::optional<std::string> TNameSplitter::Next() {
  while (Start < Pending.size()) {
    std::size_t end = Pending.find(SeparatorByte(Separator), Start);
    if (end == std::string::npos && !Ended) {
      return std::nullopt;
    }
    end = end == std::string::npos ? Pending.size() : end;
    std::string name = Pending.substr(Start, end - Start);
    Start = end + 1;
    // A list written on Windows ends its lines in CR LF.
    if (Separator == TListSeparator::Line && !name.empty() && name.back() == '\r') {
      name.pop_back();
    }
    if (!name.empty()) {
      return name;
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> TFileList::Open() {
  const bool opened =
      Name.Name == StandardInputName ? Input.OpenStandardInput() : Input.Open(Name.Name);
  if (!opened) {
    return CannotRead(Name.Name, Input.Error());
  }
  // The usual mistake, a NUL-separated list given as lines, shows in its
  // first bytes: refused before anything runs.
  ReadMore();
  return Error;
}

bool TFileList::ReadMore() {
  if (AtEnd || Error) {
    return false;
  }
  std::string buffer(ReadSize, '\0');
  const std::int64_t got = Input.Read(buffer.data(), buffer.size());
  if (got < 0) {
    Error = CannotRead(Name.Name, Input.Error());
    return false;
  }
  Splitter.Add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  if (Splitter.HeldNul()) {
    Error = FormatText(
        u"The file list '%s' holds NUL bytes: a list of names each ended by NUL is read "
        u"with '--files0-from'",
        {Name.Name});
    return false;
  }
  if (got == 0) {
    AtEnd = true;
    Splitter.End();
  }
  return true;
}

std::optional<std::u16string> TFileList::Next() {
  for (;;) {
    if (Error) {
      return std::nullopt;
    }
    if (const std::optional<std::string> name = Splitter.Next()) {
      return platform::Utf8ToUtf16(*name, platform::TInvalidUtf8::Escape);
    }
    if (!ReadMore()) {
      return std::nullopt;
    }
  }
}

TPathSource::TPathSource(std::vector<std::u16string> Paths, const std::vector<TFileListName>& Lists)
    : Paths(std::move(Paths)) {
  for (const TFileListName& list : Lists) {
    this->Lists.push_back(std::make_unique<TFileList>(list));
  }
}

std::optional<std::u16string> TPathSource::Open() {
  for (const std::unique_ptr<TFileList>& list : Lists) {
    if (std::optional<std::u16string> failure = list->Open()) {
      return failure;
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> TPathSource::Read() {
  if (NextPath < Paths.size()) {
    return Paths[NextPath++];
  }
  for (; CurrentList < Lists.size(); ++CurrentList) {
    if (std::optional<std::u16string> path = Lists[CurrentList]->Next()) {
      return path;
    }
  }
  return std::nullopt;
}

bool TPathSource::AnyPath() {
  if (!Ahead) {
    Ahead = Read();
  }
  return Ahead.has_value();
}

std::optional<std::u16string> TPathSource::Next() {
  if (Ahead) {
    return std::exchange(Ahead, std::nullopt);
  }
  return Read();
}

std::vector<std::u16string> TPathSource::Failures() const {
  std::vector<std::u16string> failures;
  for (const std::unique_ptr<TFileList>& list : Lists) {
    if (list->Failure()) {
      failures.push_back(*list->Failure());
    }
  }
  return failures;
}

}  // namespace kestrix
