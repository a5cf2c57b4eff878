#include "analysis/FileCheck.h"

#include "platform/KestrixError.h"
#include "reader/CRC16.h"
#include "reader/StreamPass.h"

namespace kestrix {

namespace {

// The tag's two CRCs, computed in the file's one pass.
void ComputeTagCRCs(platform::TStream& Stream, TBasicKestrixReader& Reader) {
  TCRC16Consumer tagCRC(Reader.InfoTagCRCRange());
  TCRC16Consumer musicCRC(Reader.MusicCRCRange());
  RunPass(Stream, {&tagCRC, &musicCRC});
  Reader.SetActualCRCs(tagCRC.Value(), musicCRC.Value());
}

}  // namespace

TFileCheck CheckStream(platform::TStream& Stream) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, false, tagFound, CLocaleSeparators());
  TBasicKestrixReader& raw = reader.GetBasicReader();
  if (tagFound) {
    ComputeTagCRCs(Stream, raw);
  }
  TFileCheck check;
  check.Verdict = JudgeFile(raw, tagFound);
  check.Tag = DescribeTag(reader, tagFound);
  check.FileSize = raw.GetFileSize();
  return check;
}

TFileCheck CheckFile(const std::u16string& FileName) {
  platform::TFileStream stream;
  if (!stream.Open(FileName)) {
    return FailedCheck(CannotOpenMessage(FileName));
  }
  return CheckStream(stream);
}

TFileCheck FailedCheck(const std::string& Message) {
  TFileCheck check;
  check.Verdict = ErrorVerdict(Message);
  return check;
}

}  // namespace kestrix
