#include "analysis/FileCheck.h"

#include <algorithm>
#include <utility>

#include "platform/CodePage.h"
#include "reader/CRC16.h"
#include "reader/FrameWalk.h"
#include "reader/MP3GainSearch.h"
#include "reader/MP3GainUndo.h"
#include "reader/StreamPass.h"

namespace kestrix {

namespace {

// MP3Gain's undo steps, when the file has an intact-looking undo item and
// a music CRC to check them against.
std::optional<TMP3GainSteps> UndoSteps(const TTagLayout& Tags, bool TagFound) {
  if (!TagFound || !Tags.MP3GainUndo) {
    return std::nullopt;
  }
  return ParseMP3GainUndo(*Tags.MP3GainUndo);
}

std::int64_t SamplesOf(const TStreamFacts& Stream, const TBasicKestrixReader& Reader) {
  const std::int64_t trimmed =
      Stream.FrameSamples - Reader.GetEncoderDelay() - Reader.GetEncoderPadding();
  return std::max<std::int64_t>(trimmed, 0);
}

// The report's part: the tag and both its CRCs, in one pass over their bytes.
TFileCheck CheckTag(platform::TStream& Stream, platform::TReadBuffer& Buffer,
                    const TAnalysisNeeds& Needs) {
  bool tagFound = false;
  TBasicKestrixReader raw = LocateLameTag(Stream, tagFound);
  TFileCheck check;
  check.FileSize = raw.GetFileSize();
  if (tagFound) {
    TCRC16Consumer tagCRC(raw.InfoTagCRCRange());
    TCRC16Consumer musicCRC(raw.MusicCRCRange());
    RunPass(Stream, Buffer, {&tagCRC, &musicCRC});
    raw.SetActualCRCs(tagCRC.Value(), musicCRC.Value());
  }
  TDescriptiveKestrixReader reader(std::move(raw), Needs.Separators);
  check.Tag = DescribeTag(reader, tagFound);
  return check;
}

}  // namespace

std::string CannotOpenMessage(const std::u16string& FileName) {
  return "Cannot open file " + platform::Narrow(FileName);
}

TFileCheck CheckStream(platform::TStream& Stream, platform::TReadBuffer& Buffer,
                       const TAnalysisNeeds& Needs) {
  if (!Needs.Judge) {
    return CheckTag(Stream, Buffer, Needs);
  }
  bool tagFound = false;
  TBasicKestrixReader raw = LocateLameTag(Stream, tagFound);
  TFileCheck check;
  check.FileSize = raw.GetFileSize();
  check.Tags = ReadTagLayout(Stream, check.FileSize);

  // The one pass: both CRCs of the tag, the walk over every frame and,
  // listening to the walk, the music CRC with MP3Gain's change undone, or
  // without its record what a search for that change needs.
  const TByteRange none{};
  TCRC16Consumer tagCRC(tagFound ? raw.InfoTagCRCRange() : none);
  TCRC16Consumer musicCRC(tagFound ? raw.MusicCRCRange() : none);
  const std::optional<TMP3GainSteps> steps = UndoSteps(check.Tags, tagFound);
  std::optional<TMP3GainUndoCRC> undo;
  std::optional<TMP3GainSearch> search;
  TFrameListener* listener = nullptr;
  if (steps) {
    listener = &undo.emplace(raw.MusicCRCRange(), *steps);
  } else if (tagFound && IsLameEncoder(raw)) {
    listener = &search.emplace(raw.MusicCRCRange());
  }
  TFrameWalk walk(check.Tags.StreamRegion, listener);
  RunPass(Stream, Buffer, {&tagCRC, &musicCRC, &walk});
  raw.SetActualCRCs(tagCRC.Value(), musicCRC.Value());

  check.Stream = walk.Facts();
  TMP3GainEvidence mp3Gain;
  if (undo) {
    mp3Gain.Record = TMP3GainCheck{*steps, undo->UndoneCRC(musicCRC.Value(), musicCRC.End())};
  }
  if (search) {
    mp3Gain.FindChange = [&] {
      return search->FindChange(musicCRC.Value(), raw.GetMusicCRC(), musicCRC.End());
    };
  }
  check.Verdict = JudgeFile(raw, tagFound, check.Tags, check.Stream, mp3Gain);
  if (tagFound && check.Stream.HasStream) {
    check.Samples = SamplesOf(check.Stream, raw);
  }
  TDescriptiveKestrixReader reader(std::move(raw), Needs.Separators);
  check.Tag = DescribeTag(reader, tagFound);
  return check;
}

TFileCheck CheckFile(const std::u16string& FileName, platform::TReadBuffer& Buffer,
                     const TAnalysisNeeds& Needs) {
  platform::TFileStream stream;
  if (!stream.Open(FileName)) {
    return FailedCheck(CannotOpenMessage(FileName));
  }
  return CheckStream(stream, Buffer, Needs);
}

TFileCheck CheckFile(const std::u16string& FileName) {
  platform::TReadBuffer buffer;
  return CheckFile(FileName, buffer);
}

TFileCheck CheckStream(platform::TStream& Stream) {
  platform::TReadBuffer buffer;
  return CheckStream(Stream, buffer);
}

TFileCheck FailedCheck(const std::string& Message) {
  TFileCheck check;
  check.Verdict = ErrorVerdict(Message);
  return check;
}

}  // namespace kestrix
