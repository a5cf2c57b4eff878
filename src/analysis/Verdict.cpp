#include "analysis/Verdict.h"

#include <algorithm>

namespace kestrix {

namespace {

constexpr std::array<const char*, 4> VerdictNames = {"ok", "bad", "no_tag", "error"};
constexpr std::array<const char*, 3> ProblemNames = {"tag_crc", "music_crc", "truncated"};

// A stored music length of 0 means unknown (or beyond 4 GB), so nothing
// can be said about the file's end.
std::uint64_t MissingBytesOf(const TBasicKestrixReader& Reader) {
  const std::int64_t size = Reader.GetFileSize();
  const std::uint32_t musicLength = Reader.GetMusicLength();
  if (size < 0 || musicLength == 0) {
    return 0;
  }
  const std::int64_t end = Reader.GetFramePosition() + static_cast<std::int64_t>(musicLength);
  return end > size ? static_cast<std::uint64_t>(end - size) : 0;
}

}  // namespace

bool TVerdict::Has(TProblem Problem) const {
  return std::find(Problems.begin(), Problems.end(), Problem) != Problems.end();
}

TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound) {
  TVerdict verdict;
  if (!TagFound) {
    return verdict;
  }
  verdict.StoredTagCRC = Reader.GetInfoTagCRC();
  verdict.ActualTagCRC = Reader.GetActualInfoTagCRC();
  verdict.StoredMusicCRC = Reader.GetMusicCRC();
  verdict.ActualMusicCRC = Reader.GetActualMusicCRC();
  verdict.MissingBytes = MissingBytesOf(Reader);
  if (verdict.StoredTagCRC != verdict.ActualTagCRC) {
    verdict.Problems.push_back(TProblem::TagCRC);
  }
  if (verdict.StoredMusicCRC != verdict.ActualMusicCRC) {
    verdict.Problems.push_back(TProblem::MusicCRC);
  }
  if (verdict.MissingBytes > 0) {
    verdict.Problems.push_back(TProblem::Truncated);
  }
  verdict.Kind = verdict.Problems.empty() ? TVerdictKind::Ok : TVerdictKind::Bad;
  return verdict;
}

TVerdict ErrorVerdict(const std::string& Message) {
  TVerdict verdict;
  verdict.Kind = TVerdictKind::Error;
  verdict.Error = Message;
  return verdict;
}

std::string VerdictName(TVerdictKind Kind) {
  return VerdictNames[static_cast<std::size_t>(Kind)];
}

std::string ProblemName(TProblem Problem) {
  return ProblemNames[static_cast<std::size_t>(Problem)];
}

std::uint64_t TTally::Files() const {
  std::uint64_t files = 0;
  for (const std::uint64_t count : Counts) {
    files += count;
  }
  return files;
}

}  // namespace kestrix
