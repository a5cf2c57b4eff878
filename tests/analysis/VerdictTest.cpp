#include "analysis/Verdict.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using TProblems = std::vector<std::string>;

// The builder's frame is 417 bytes at offset 0, the music 2000 bytes after it.
constexpr std::size_t MusicStart = 417;
constexpr std::size_t TagByte = 36 + 119 + QualityIndex;

// A tag of LAME's, whose tag CRC is LAME's.
TTagFileBuilder Lame() {
  TTagFileBuilder builder;
  builder.Version("LAME3.100");
  return builder;
}

// An intact stream, so that only the tag is judged.
TStreamFacts IntactStream() {
  TStreamFacts stream;
  stream.HasStream = true;
  return stream;
}

TProblems Names(const TVerdict& Verdict) {
  TProblems names;
  for (const TProblem* problem : Verdict.Problems) {
    names.emplace_back(problem->Name);
  }
  return names;
}

TVerdict Judge(const TBytes& File, const TStreamFacts& Stream = IntactStream(),
               const TMP3GainEvidence& MP3Gain = {}) {
  TMemoryStream stream(File);
  bool found = false;
  const TBasicKestrixReader reader = test::ReadLameTag(stream, true, found);
  return JudgeFile(reader, found, TTagLayout(), Stream, MP3Gain);
}

TEST(Verdict, IntactFileIsOk) {
  const TVerdict verdict = Judge(Lame().Build());
  EXPECT_EQ(verdict.Kind, TVerdictKind::Ok);
  EXPECT_TRUE(verdict.Problems.empty());
  EXPECT_EQ(verdict.StoredMusicCRC, verdict.ActualMusicCRC);
}

TEST(Verdict, EachDamageIsNamed) {
  TBytes music = Lame().Build();
  music[MusicStart + 1000] ^= 0x01;
  EXPECT_EQ(Names(Judge(music)), TProblems{"music_crc"});

  TBytes tag = Lame().Build();
  tag[TagByte] ^= 0x01;
  EXPECT_EQ(Names(Judge(tag)), TProblems{"tag_crc"});

  TBytes cut = Lame().Build();
  cut.resize(cut.size() - 300);
  const TVerdict verdict = Judge(cut);
  EXPECT_EQ(verdict.Kind, TVerdictKind::Bad);
  EXPECT_EQ(Names(verdict), (TProblems{"music_crc", "truncated"}));
  EXPECT_EQ(verdict.MissingBytes, 300u);
  EXPECT_TRUE(verdict.Has("truncated"));
  EXPECT_FALSE(verdict.Has("tag_crc"));
}

TEST(Verdict, TruncationCountsFromTheFramePosition) {
  TTagFileBuilder builder;
  builder.Prefix = Id3v2Tag(100);
  TBytes file = builder.Build();
  EXPECT_EQ(Judge(file).Kind, TVerdictKind::Ok);
  file.pop_back();
  const TVerdict verdict = Judge(file);
  EXPECT_TRUE(verdict.Has("truncated"));
  EXPECT_EQ(verdict.MissingBytes, 1u);
}

TEST(Verdict, LongerFileIsNotTruncated) {
  TBytes file = Lame().Build();
  file.insert(file.end(), 128, 'T');  // an ID3v1 tag behind the music
  EXPECT_EQ(Judge(file).Kind, TVerdictKind::Ok);
}

TEST(Verdict, UnknownMusicLengthSaysNothingOfTheEnd) {
  TTagFileBuilder builder = Lame();
  builder.FixCRCs = false;
  builder.Set(InfoTagCRCIndex, {0x12, 0x34});
  const TVerdict verdict = Judge(builder.Build());  // music length 0
  EXPECT_FALSE(verdict.Has("truncated"));
  EXPECT_TRUE(verdict.Has("tag_crc"));
}

TEST(Verdict, MissingTagAndErrors) {
  TTagFileBuilder builder;
  builder.Magic = "Junk";
  EXPECT_EQ(Judge(builder.Build()).Kind, TVerdictKind::Ok);
  EXPECT_EQ(Judge({}, TStreamFacts()).Kind, TVerdictKind::NotMP3);
  const TVerdict error = ErrorVerdict("Cannot open file x");
  EXPECT_EQ(error.Kind, TVerdictKind::Error);
  EXPECT_EQ(error.Error, "Cannot open file x");
}

TEST(Verdict, NamesAsTheMachineFormsWriteThem) {
  EXPECT_EQ(VerdictName(TVerdictKind::Ok), "ok");
  EXPECT_EQ(VerdictName(TVerdictKind::Bad), "bad");
  EXPECT_EQ(VerdictName(TVerdictKind::Warn), "warn");
  EXPECT_EQ(VerdictName(TVerdictKind::NotMP3), "not_mp3");
  EXPECT_EQ(VerdictName(TVerdictKind::Error), "error");
}

TEST(Verdict, ProblemsInTheirListingOrder) {
  TProblems damage;
  TProblems warnings;
  for (const TProblem& problem : Problems) {
    (problem.IsDamage ? damage : warnings).emplace_back(problem.Name);
    EXPECT_EQ(FindProblem(problem.Name), &problem);
  }
  EXPECT_EQ(damage, (TProblems{"tag_crc", "music_crc", "truncated", "truncated_tag",
                               "truncated_frame", "start_lost", "unwritten_end", "missing_frames",
                               "lost_sync", "frame_crc", "mixed_stream"}));
  EXPECT_EQ(warnings, (TProblems{"mp3gain", "header_rewritten", "unverifiable_crc",
                                 "starts_mid_stream", "gapless_overrun", "extra_frames",
                                 "byte_count", "no_vbr_header", "junk_before", "junk_after"}));
  EXPECT_TRUE(std::is_partitioned(Problems.begin(), Problems.end(),
                                  [](const TProblem& Problem) { return Problem.IsDamage; }));
  EXPECT_EQ(FindProblem("no_such"), nullptr);
}

// Stored CRCs that differ for a known, harmless reason are warnings.
TEST(Verdict, KnownReasonsWarnInsteadOfDamage) {
  TTagFileBuilder other;
  other.Version("Lavf58.76");
  TBytes tag = other.Build();
  tag[TagByte] ^= 0x01;
  const TVerdict lavf = Judge(tag);
  EXPECT_EQ(lavf.Kind, TVerdictKind::Warn);
  EXPECT_EQ(Names(lavf), TProblems{"unverifiable_crc"});
  EXPECT_TRUE(lavf.UnverifiableTagCRC);
  EXPECT_EQ(lavf.Encoder, "Lavf58.76");
  other.Version("L3.99r");
  tag = other.Build();
  tag[TagByte] ^= 0x01;
  EXPECT_EQ(Names(Judge(tag)), TProblems{"tag_crc"});

  TTagFileBuilder continuation;
  continuation.Set(FlagsATHIndex, {0x80});
  TBytes music = continuation.Build();
  music[MusicStart + 5] ^= 0x01;
  const TVerdict nogap = Judge(music);
  EXPECT_EQ(Names(nogap), TProblems{"unverifiable_crc"});
  EXPECT_TRUE(nogap.UnverifiableMusicCRC);

  music = Lame().Build();
  music[MusicStart + 5] ^= 0x01;
  const std::uint16_t stored = Judge(music).StoredMusicCRC;
  const TVerdict gained =
      Judge(music, IntactStream(), TMP3GainEvidence{TMP3GainCheck{{-3, -2}, stored}, {}});
  EXPECT_EQ(gained.Kind, TVerdictKind::Warn);
  EXPECT_EQ(Names(gained), TProblems{"mp3gain"});
  EXPECT_EQ(gained.MP3Gain->Right, -2);
  const auto otherCRC = static_cast<std::uint16_t>(stored ^ 1);
  EXPECT_EQ(
      Names(Judge(music, IntactStream(), TMP3GainEvidence{TMP3GainCheck{{-3, -2}, otherCRC}, {}})),
      TProblems{"music_crc"});
}

// The search for MP3Gain's change without a record is asked only where the
// music CRC is the only damage of an intact LAME tag.
TEST(Verdict, MP3GainWithoutARecord) {
  int asked = 0;
  std::optional<int> change = 3;
  const TMP3GainEvidence search{std::nullopt, [&] {
                                  ++asked;
                                  return change;
                                }};
  TBytes music = Lame().Build();
  music[MusicStart + 5] ^= 0x01;
  const TVerdict gained = Judge(music, IntactStream(), search);
  EXPECT_EQ(Names(gained), TProblems{"mp3gain"});
  EXPECT_EQ(gained.MP3Gain->Left, -3);
  EXPECT_EQ(gained.MP3Gain->Right, -3);
  EXPECT_FALSE(gained.MP3GainRecord);
  EXPECT_EQ(asked, 1);
  change.reset();
  EXPECT_EQ(Names(Judge(music, IntactStream(), search)), TProblems{"music_crc"});
  EXPECT_EQ(asked, 2);

  TBytes tagToo = music;
  tagToo[TagByte] ^= 0x01;
  EXPECT_EQ(Names(Judge(tagToo, IntactStream(), search)), (TProblems{"tag_crc", "music_crc"}));
  TStreamFacts cut = IntactStream();
  cut.TruncatedFrame = 10;
  EXPECT_EQ(Names(Judge(music, cut, search)), (TProblems{"music_crc", "truncated_frame"}));
  TTagFileBuilder other;
  other.Version("Lavf58.76");
  TBytes lavf = other.Build();
  lavf[MusicStart + 5] ^= 0x01;
  EXPECT_EQ(Names(Judge(lavf, IntactStream(), search)), TProblems{"music_crc"});
  EXPECT_EQ(asked, 2);
}

TEST(Verdict, StreamProblemsInTheirOrderAndNotMP3First) {
  TStreamFacts stream = IntactStream();
  stream.JunkAfter = 10;
  stream.MixedStream = true;
  stream.LostSync = {2, 300, 5000};
  stream.TruncatedFrame = 7;
  const TVerdict bad = Judge(Lame().Build(), stream);
  EXPECT_EQ(bad.Kind, TVerdictKind::Bad);
  EXPECT_EQ(Names(bad), (TProblems{"truncated_frame", "lost_sync", "mixed_stream", "junk_after"}));
  EXPECT_EQ(bad.LostSync.Bytes, 300);

  TStreamFacts junk = IntactStream();
  junk.JunkBefore = 3;
  EXPECT_EQ(Judge({'x'}, junk).Kind, TVerdictKind::Warn);

  // A damaged tag in a file without a stream: not an MP3 file, the
  // problem still told.
  TBytes tag = Lame().Build();
  tag[TagByte] ^= 0x01;
  const TVerdict none = Judge(tag, TStreamFacts());
  EXPECT_EQ(none.Kind, TVerdictKind::NotMP3);
  EXPECT_EQ(Names(none), TProblems{"tag_crc"});
}

// The builder's file: 2,417 bytes from its tag frame on.
constexpr std::int64_t MusicLength = 2417;

TEST(Verdict, RewrittenHeaders) {
  // The tag's frame edited, the audio as encoded.
  TBytes edited = Lame().Build();
  edited[TagByte] ^= 0x01;
  TStreamFacts stream = IntactStream();
  stream.Bytes = MusicLength;
  const TVerdict verdict = Judge(edited, stream);
  EXPECT_EQ(Names(verdict), TProblems{"header_rewritten"});
  EXPECT_EQ(verdict.HeaderRewrite, THeaderRewrite::Edited);
  edited[MusicStart + 5] ^= 0x01;
  EXPECT_EQ(Names(Judge(edited, stream)), (TProblems{"tag_crc", "music_crc"}));

  // A piece whose VBR header agrees with it, the tag of the original: its
  // CRCs and its length say nothing.
  TBytes piece = Lame().Build();
  piece[TagByte] ^= 0x01;
  piece.resize(piece.size() - 300);
  TStreamFacts pieceStream = IntactStream();
  pieceStream.Frames = 10;
  pieceStream.Bytes = 1000;
  pieceStream.VbrHeader = TVbrHeader{TVbrHeader::TKind::Info, 10, 1000, {}, false};
  const TVerdict split = Judge(piece, pieceStream);
  EXPECT_EQ(Names(split), (TProblems{"header_rewritten", "unverifiable_crc"}));
  EXPECT_EQ(split.HeaderRewrite, THeaderRewrite::OfOriginal);
  EXPECT_TRUE(split.UnverifiableMusicCRC);
  // Cut short with its header untouched, it does not agree with its header.
  pieceStream.VbrHeader->Frames = 14;
  pieceStream.VbrHeader->Bytes = MusicLength;
  EXPECT_EQ(Names(Judge(piece, pieceStream)),
            (TProblems{"tag_crc", "music_crc", "truncated", "missing_frames", "byte_count"}));
}

TEST(Tally, CountsEachVerdict) {
  TTally tally;
  for (const TVerdictKind kind :
       {TVerdictKind::Ok, TVerdictKind::Ok, TVerdictKind::Bad, TVerdictKind::Error}) {
    tally.Count(kind);
  }
  EXPECT_EQ(tally.Files(), 4u);
  EXPECT_EQ(tally.Of(TVerdictKind::Ok), 2u);
  EXPECT_EQ(tally.Of(TVerdictKind::NotMP3), 0u);
}

}  // namespace
}  // namespace kestrix::test
