#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileStream.h"
#include "reader/BasicKestrixReader.h"

namespace kestrix::test {

using TBytes = std::vector<std::uint8_t>;

// Tag record indexes (Xing offset minus 119) of the fields a test sets.
namespace tagindex {
inline constexpr std::size_t QualityIndex = 0;
inline constexpr std::size_t EncoderVersionIndex = 1;
inline constexpr std::size_t RevisionMethodIndex = 10;
inline constexpr std::size_t LowpassIndex = 11;
inline constexpr std::size_t PeakIndex = 12;
inline constexpr std::size_t TrackGainIndex = 16;
inline constexpr std::size_t AlbumGainIndex = 18;
inline constexpr std::size_t FlagsATHIndex = 20;
inline constexpr std::size_t BitrateIndex = 21;
inline constexpr std::size_t DelayPaddingIndex = 22;
inline constexpr std::size_t MiscIndex = 25;
inline constexpr std::size_t MP3GainIndex = 26;
inline constexpr std::size_t PresetSurroundIndex = 27;
inline constexpr std::size_t MusicLengthIndex = 29;
inline constexpr std::size_t MusicCRCIndex = 33;
inline constexpr std::size_t InfoTagCRCIndex = 35;
}  // namespace tagindex
using namespace tagindex;

// A stream over bytes in memory that can deliver its data in short pieces
// and counts what it is asked for.
class TMemoryStream final : public platform::TStream {
 public:
  explicit TMemoryStream(TBytes Bytes, std::int64_t MaxPiece = 0)
      : Data(std::move(Bytes)), Piece(MaxPiece) {}
  void Seek(std::int64_t NewPosition) override { Position = NewPosition; }
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(Data.size()); }

  std::vector<std::int64_t> Requests;  // the Count of every Read
  std::int64_t BytesDelivered = 0;

 private:
  TBytes Data;
  std::int64_t Piece;  // 0: deliver all that is asked for
  std::int64_t Position = 0;
};

// A folder of its own below the system's temporary folder, removed again
// with everything in it.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return Root; }
  // Writes the bytes to a file below the folder and returns its full path;
  // Name is UTF-8, and "/" in it separates folders on every system.
  std::filesystem::path Write(const std::string& Name, const TBytes& Bytes) const;

 private:
  std::filesystem::path Root;
};

std::u16string ToU16(const std::filesystem::path& Path);
// The bundled sample files, in a folder this system can open.
std::filesystem::path SamplesFolder();
// The MP3 files of the samples folder, sorted.
std::vector<std::filesystem::path> SampleMp3Files();
// The real files of other encoders and tools that tests/data holds.
std::filesystem::path TestDataFolder();
// Bytes as upper-case hexadecimal pairs, for messages that must stay ASCII.
std::string Hex(const std::string& Bytes);
TBytes ReadFileBytes(const std::filesystem::path& Path);
// The same bytes without pattern on every run: no test can fail by chance.
TBytes Noise(std::size_t Size);

// The parts of a first frame with a LAME tag, to be changed by a test
// before Build(). The defaults are an MPEG-1 Layer III joint-stereo frame
// at 128 kbit/s and 44100 Hz (417 bytes) with an "Info" header.
struct TTagFileBuilder {
  TBytes Prefix;  // bytes before the frame (an ID3v2 tag)
  std::uint8_t Header[4] = {0xFF, 0xFB, 0x90, 0x64};
  std::int64_t XingOffset = 36;
  std::string Magic = "Info";
  std::int64_t FrameLength = 417;
  TBytes Tag = TBytes(37, 0);         // Xing offsets 119..155
  TBytes Music = TBytes(2000, 0x55);  // bytes after the first frame
  bool FixCRCs = true;                // store the right music length and both CRCs

  // Convenience setters for the tag bytes, by index into the 37 bytes.
  TTagFileBuilder& Version(const std::string& EncoderVersion);  // up to 9 bytes from index 1
  TTagFileBuilder& Set(std::size_t Index, std::initializer_list<std::uint8_t> Bytes);

  TBytes Build() const;
};

// A tag of the "[alt-]preset extreme" values with no preset stored, so that
// the report ends with a guess block.
TTagFileBuilder ExtremeTag();

// ID3v2.4 header of 10 bytes announcing Size bytes (synchsafe), then Size zero
// bytes, then with Footer its footer ("3DI").
TBytes Id3v2Tag(std::uint32_t Size, bool Footer = false);

// The LAME tag of a stream as the analysis reads it: located with four
// small reads and, with ComputeCRCs, both CRCs computed in one pass.
TBasicKestrixReader ReadLameTag(platform::TStream& Stream, bool ComputeCRCs, bool& TagFound);
// The same of a file; raises EKestrixError when it cannot be opened.
TBasicKestrixReader ReadLameTag(const std::filesystem::path& Path, bool ComputeCRCs,
                                bool& TagFound);

}  // namespace kestrix::test
