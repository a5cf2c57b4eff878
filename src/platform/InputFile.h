#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrix::platform {

// A file, or standard input, read once from its start to its end, as a
// list of names is. Closed when the object goes away; standard input is
// left open.
class TInputFile {
 public:
  TInputFile() = default;
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // False when the file cannot be read (missing, a folder, no access),
  // with the system's message in Error(). A pipe or a device is read too.
  bool Open(const std::u16string& Path);
  // False when the process has no standard input.
  bool OpenStandardInput();
  // As many bytes as one read gives, at most Count; 0 at the end; -1 on a
  // read error, with the system's message in Error().
  std::int64_t Read(void* Buffer, std::size_t Count);
  // The last failure's message, 8-bit text of the code page.
  const std::string& Error() const { return Message; }

 private:
  void Close();

  static constexpr std::intptr_t InvalidHandle = -1;
  std::intptr_t Handle = InvalidHandle;
  bool Owned = false;  // false for standard input
  std::string Message;
};

}  // namespace kestrix::platform
