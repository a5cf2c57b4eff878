#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix::platform {

// The separator the system puts between folders, and every character that
// may end the folder part of a path (Windows: "\\" and the drive's ":").
extern const char16_t FolderSeparator;
extern const std::u16string_view PathDelimiters;

// File attribute bits as a directory search reports them.
namespace attr {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t VolumeId = 0x08;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
}  // namespace attr

// The absolute form of Path, relative to the current folder, with "." and
// ".." resolved; wildcards pass through. Empty when it cannot be built.
std::u16string ExpandPath(const std::u16string& Path);

bool IsFolder(const std::u16string& Path);
// Exists and is not a folder.
bool IsExistingFile(const std::u16string& Path);

// Identity of a folder, to recognise one already visited by another path.
struct TFolderId {
  std::uint64_t Device = 0;
  std::uint64_t Node = 0;
  bool operator<(const TFolderId& Other) const {
    return Device != Other.Device ? Device < Other.Device : Node < Other.Node;
  }
};
std::optional<TFolderId> GetFolderId(const std::u16string& Path);

// One listing of a folder's entries that match a mask (a folder part, then
// a name with the wildcards * and ?). POSIX sorts it by the bytes of the
// names; Windows keeps the order the system lists them in. Only files and
// folders are listed. Ended when the object goes away.
class TDirectorySearch {
 public:
  TDirectorySearch();
  ~TDirectorySearch();
  TDirectorySearch(const TDirectorySearch&) = delete;
  TDirectorySearch& operator=(const TDirectorySearch&) = delete;

  // Moves to the first matching entry; false when there is none or the
  // folder cannot be read.
  bool First(const std::u16string& Mask);
  // After a First that found nothing: the system's message when the folder
  // exists but could not be listed (no permission, say); empty otherwise.
  const std::string& ListingError() const { return Error; }
  // Moves to the next matching entry; false when there are no more.
  bool Next();

  const std::u16string& Name() const { return EntryName; }
  std::uint32_t Attributes() const { return EntryAttributes; }
  // The entry's size in bytes (of what a link leads to).
  std::int64_t Size() const { return EntrySize; }

 private:
  struct TState;
  std::unique_ptr<TState> State;
  std::u16string EntryName;
  std::uint32_t EntryAttributes = 0;
  std::int64_t EntrySize = 0;
  std::string Error;
};

}  // namespace kestrix::platform
