#include "console/Progress.h"

#include "platform/StdOutput.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr auto FirstDrawAfter = std::chrono::milliseconds(500);
constexpr auto RedrawAfter = std::chrono::milliseconds(100);
constexpr int AssumedColumns = 80;
constexpr std::int64_t BytesPerMegabyte = 1024 * 1024;
constexpr std::int64_t TenthsPerUnit = 10;
constexpr std::u16string_view CutMark = u"...";

std::u16string Megabytes(std::int64_t Bytes) {
  const std::int64_t tenths = Bytes * TenthsPerUnit / BytesPerMegabyte;
  return FormatText(u"%d.%d", {tenths / TenthsPerUnit, tenths % TenthsPerUnit});
}

}  // namespace

TProgress::TProgress(TWriter Writer, int Columns, TNow Now)
    : Writer(std::move(Writer)),
      // The last column is left free: writing there makes some terminals wrap.
      Width(static_cast<std::size_t>(Columns > 1 ? Columns - 1 : AssumedColumns - 1)),
      Now(std::move(Now)),
      Start(this->Now()) {}

TProgress::~TProgress() {
  Finish();
}

void TProgress::EnterFolder(const std::u16string& Path) {
  Folder = Path;
  Update();
}

void TProgress::FileReported(std::int64_t Size) {
  ++Files;
  Bytes += Size > 0 ? Size : 0;
  Update();
}

void TProgress::Finish() {
  if (!Finished && DrawnLength > 0) {
    Writer(u"\r" + std::u16string(DrawnLength, u' ') + u"\r");
  }
  Finished = true;
}

void TProgress::Update() {
  const TClock::time_point now = Now();
  if (Finished || now - Start < FirstDrawAfter || (LastDraw && now - *LastDraw < RedrawAfter)) {
    return;
  }
  LastDraw = now;
  const std::u16string text = ConsoleSafeText(LineText());
  std::u16string line = u"\r" + text;
  if (text.size() < DrawnLength) {
    line.append(DrawnLength - text.size(), u' ');
  }
  DrawnLength = text.size();
  Writer(line);
}

// The folder loses its start first when the line is too long.
std::u16string TProgress::LineText() const {
  const std::u16string counts =
      FormatText(u"%d files, %s MB read, ", {Files, Megabytes(Bytes)}).substr(0, Width);
  const std::u16string& folder = Folder;
  const std::size_t room = Width - counts.size();
  if (folder.size() <= room) {
    return counts + folder;
  }
  if (room <= CutMark.size()) {
    return counts;
  }
  return counts + std::u16string(CutMark) + folder.substr(folder.size() - (room - CutMark.size()));
}

std::unique_ptr<TProgress> StartProgress(bool StdOutIsConsole) {
  const std::optional<int> columns = platform::StdErrorConsoleWidth();
  if (StdOutIsConsole || !columns) {
    return nullptr;
  }
  return std::make_unique<TProgress>(
      [](const std::u16string& Text) { platform::WriteStdErrorText(Text); }, *columns);
}

}  // namespace kestrix
