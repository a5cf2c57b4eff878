#include "console/Report.h"

#include "describe/FieldTable.h"
#include "output/ReportPrinter.h"
#include "platform/KestrixError.h"
#include "reader/CRC16.h"
#include "reader/StreamPass.h"

namespace kestrix {

namespace {

// Both CRCs of a tag the reader found, in one pass over the file.
void ComputeCRCs(platform::TStream& Stream, platform::TReadBuffer& Buffer,
                 TBasicKestrixReader& Reader) {
  TCRC16Consumer tagCRC(Reader.InfoTagCRCRange());
  TCRC16Consumer musicCRC(Reader.MusicCRCRange());
  RunPass(Stream, Buffer, {&tagCRC, &musicCRC});
  Reader.SetActualCRCs(tagCRC.Value(), musicCRC.Value());
}

}  // namespace

void PrintReport(TTextWriter& Output, const std::u16string& FileName,
                 platform::TReadBuffer& Buffer) {
  platform::TFileStream stream;
  if (!stream.Open(FileName)) {
    throw EKestrixError(CannotOpenMessage(FileName));
  }
  PrintReport(Output, stream, Buffer);
}

void PrintReport(TTextWriter& Output, platform::TStream& Stream, platform::TReadBuffer& Buffer) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, false, tagFound);
  if (tagFound) {
    ComputeCRCs(Stream, Buffer, reader.GetBasicReader());
  }
  PrintTagReport(Output, DescribeTag(reader, tagFound));
}

void PrintReport(TTextWriter& Output, platform::TStream& Stream) {
  platform::TReadBuffer buffer;
  PrintReport(Output, Stream, buffer);
}

}  // namespace kestrix
