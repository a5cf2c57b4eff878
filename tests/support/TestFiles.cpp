#include "support/TestFiles.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

#include "analysis/FileCheck.h"
#include "platform/KestrixError.h"
#include "platform/Process.h"
#include "reader/CRC16.h"
#include "reader/StreamPass.h"

namespace kestrix::test {

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count) {
  Requests.push_back(Count);
  const auto size = static_cast<std::int64_t>(Data.size());
  if (Count <= 0 || Position < 0 || Position >= size) {
    return 0;
  }
  std::int64_t got = std::min(Count, size - Position);
  if (Piece > 0) {
    got = std::min(got, Piece);
  }
  std::copy_n(Data.begin() + Position, got, static_cast<std::uint8_t*>(Buffer));
  Position += got;
  BytesDelivered += got;
  return got;
}

TTempFolder::TTempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  Root = std::filesystem::temp_directory_path() /
         ("kestrix-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(Root);
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(Root, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(Root, ignored);
}

std::filesystem::path TTempFolder::Write(const std::string& Name, const TBytes& Bytes) const {
  const std::filesystem::path path = Root / std::filesystem::u8path(Name).make_preferred();
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  return path;
}

std::u16string ToU16(const std::filesystem::path& Path) {
  return Path.u16string();
}

std::filesystem::path SamplesFolder() {
#ifdef _WIN32
  // The build copies them next to the test programs.
  return std::filesystem::path(platform::GetExecutablePath()).parent_path() / "samples";
#else
  return KESTRIX_SAMPLES_DIR;
#endif
}

std::vector<std::filesystem::path> SampleMp3Files() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(SamplesFolder())) {
    if (entry.path().extension() == ".mp3") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::filesystem::path TestDataFolder() {
  return SamplesFolder().parent_path() / "tests" / "data";
}

std::string Hex(const std::string& Bytes) {
  constexpr char Digits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : Bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += Digits[byte >> 4];
    text += Digits[byte & 0xF];
  }
  return text;
}

TBytes ReadFileBytes(const std::filesystem::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TBytes Noise(std::size_t Size) {
  TBytes bytes(Size);
  std::uint32_t state = 12345;
  for (std::uint8_t& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(state >> 23);
  }
  return bytes;
}

TTagFileBuilder& TTagFileBuilder::Version(const std::string& EncoderVersion) {
  for (std::size_t i = 0; i < 9; ++i) {
    Tag[1 + i] = i < EncoderVersion.size() ? static_cast<std::uint8_t>(EncoderVersion[i]) : 0;
  }
  return *this;
}

TTagFileBuilder& TTagFileBuilder::Set(std::size_t Index,
                                      std::initializer_list<std::uint8_t> Bytes) {
  std::copy(Bytes.begin(), Bytes.end(), Tag.begin() + static_cast<std::ptrdiff_t>(Index));
  return *this;
}

namespace {

void PutBigEndian(TBytes& Bytes, std::size_t At, std::uint32_t Value, int Count) {
  for (int i = 0; i < Count; ++i) {
    Bytes[At + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(Value >> (8 * (Count - 1 - i)));
  }
}

}  // namespace

TBytes TTagFileBuilder::Build() const {
  const auto xing = static_cast<std::size_t>(XingOffset);
  const std::size_t tagEnd = xing + 156;
  TBytes frame(std::max<std::size_t>(static_cast<std::size_t>(FrameLength), tagEnd), 0);
  std::copy_n(Header, 4, frame.begin());
  std::copy(Magic.begin(), Magic.end(), frame.begin() + static_cast<std::ptrdiff_t>(xing));
  std::copy(Tag.begin(), Tag.end(), frame.begin() + static_cast<std::ptrdiff_t>(xing + 119));

  if (FixCRCs) {
    const auto musicLength = static_cast<std::uint32_t>(frame.size() + Music.size());
    PutBigEndian(frame, xing + 148, musicLength, 4);
    TBytes musicRegion(frame.begin() + static_cast<std::ptrdiff_t>(tagEnd), frame.end());
    musicRegion.insert(musicRegion.end(), Music.begin(), Music.end());
    const std::uint16_t musicCRC =
        UpdateCRC16(0, musicRegion.data(), static_cast<std::int32_t>(musicRegion.size()));
    PutBigEndian(frame, xing + 152, musicCRC, 2);
    const std::uint16_t tagCRC =
        UpdateCRC16(0, frame.data(), static_cast<std::int32_t>(xing + 154));
    PutBigEndian(frame, xing + 154, tagCRC, 2);
  }

  TBytes file = Prefix;
  file.insert(file.end(), frame.begin(), frame.end());
  file.insert(file.end(), Music.begin(), Music.end());
  return file;
}

TBytes Id3v2Tag(std::uint32_t Size, bool Footer) {
  TBytes tag{'I',
             'D',
             '3',
             4,
             0,
             static_cast<std::uint8_t>(Footer ? 0x10 : 0),
             static_cast<std::uint8_t>((Size >> 21) & 0x7F),
             static_cast<std::uint8_t>((Size >> 14) & 0x7F),
             static_cast<std::uint8_t>((Size >> 7) & 0x7F),
             static_cast<std::uint8_t>(Size & 0x7F)};
  const TBytes header = tag;
  tag.resize(10 + Size, 0);
  if (Footer) {
    tag.insert(tag.end(), header.begin(), header.end());
    std::copy_n("3DI", 3, tag.end() - 10);
  }
  return tag;
}

TTagFileBuilder ExtremeTag() {
  TTagFileBuilder builder;
  builder.Version("LAME3.90 ");
  builder.Set(QualityIndex, {78}).Set(RevisionMethodIndex, {0x03});
  builder.Set(LowpassIndex, {195}).Set(FlagsATHIndex, {0x12});
  builder.Set(DelayPaddingIndex, {0x24, 0x05, 0x3C}).Set(MiscIndex, {0x4E});
  return builder;
}

TBasicKestrixReader ReadLameTag(platform::TStream& Stream, bool ComputeCRCs, bool& TagFound) {
  TBasicKestrixReader reader = LocateLameTag(Stream, TagFound);
  if (TagFound && ComputeCRCs) {
    TCRC16Consumer tagCRC(reader.InfoTagCRCRange());
    TCRC16Consumer musicCRC(reader.MusicCRCRange());
    RunPass(Stream, {&tagCRC, &musicCRC});
    reader.SetActualCRCs(tagCRC.Value(), musicCRC.Value());
  }
  return reader;
}

TBasicKestrixReader ReadLameTag(const std::filesystem::path& Path, bool ComputeCRCs,
                                bool& TagFound) {
  platform::TFileStream stream;
  if (!stream.Open(ToU16(Path))) {
    throw EKestrixError(CannotOpenMessage(ToU16(Path)));
  }
  return ReadLameTag(stream, ComputeCRCs, TagFound);
}

}  // namespace kestrix::test
