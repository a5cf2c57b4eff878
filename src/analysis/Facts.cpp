#include "analysis/Facts.h"

namespace kestrix {

namespace {

using C = const TFileCheck&;

template <typename TNumber>
TValue ValueOrNone(const std::optional<TNumber>& Value) {
  if (!Value) {
    return {};
  }
  if constexpr (std::is_floating_point_v<TNumber>) {
    return static_cast<double>(*Value);
  } else {
    return static_cast<std::int64_t>(*Value);
  }
}

TValue Integer(std::int64_t Value) {
  return Value;
}

TValue Text(const char* Value) {
  return std::string(Value);
}

const TVbrHeader& Header(C c) {
  return *c.Stream.VbrHeader;
}

TValue Names(const std::vector<TTagPlace>& Tags) {
  std::vector<std::string> names;
  for (const TTagPlace& tag : Tags) {
    names.emplace_back(TagFormatName(tag.Format));
  }
  return names;
}

constexpr TFactObject VbrHeaderObject = {"vbr_header",
                                         [](C c) { return c.Stream.VbrHeader.has_value(); }};

}  // namespace

const std::array<TFact, 16> StreamFacts = {{
    {nullptr, "first_frame", "first_frame", [](C c) { return Integer(c.Stream.FirstFrame); }},
    {nullptr, "version", "version", [](C c) { return Text(MPEGVersionName(c.Stream.Version)); }},
    {nullptr, "sample_rate", "sample_rate", [](C c) { return Integer(c.Stream.SampleRate); }},
    {nullptr, "channels", "channels", [](C c) { return Integer(c.Stream.Channels); }},
    {nullptr, "frames", "frames", [](C c) { return Integer(c.Stream.Frames); }},
    {nullptr, "bytes", "bytes", [](C c) { return Integer(c.Stream.Bytes); }},
    {nullptr, "duration", "duration", [](C c) { return TValue(c.Stream.Duration); }},
    {nullptr, "samples", "samples", [](C c) { return ValueOrNone(c.Samples); }},
    {nullptr, "bitrate_mode", "bitrate_mode",
     [](C c) { return Text(BitrateModeName(c.Stream.BitrateMode)); }},
    {nullptr, "average_bitrate", "average_bitrate",
     [](C c) { return ValueOrNone(c.Stream.AverageBitrate); }},
    {nullptr, "protected_frames", "protected_frames",
     [](C c) { return Integer(c.Stream.ProtectedFrames); }},
    {&VbrHeaderObject, "kind", "vbr_header",
     [](C c) { return Text(VbrHeaderKindName(Header(c).Kind)); }},
    {&VbrHeaderObject, "frames", "vbr_frames", [](C c) { return ValueOrNone(Header(c).Frames); }},
    {&VbrHeaderObject, "bytes", "vbr_bytes", [](C c) { return ValueOrNone(Header(c).Bytes); }},
    {&VbrHeaderObject, "quality", "", [](C c) { return ValueOrNone(Header(c).Quality); }},
    {&VbrHeaderObject, "toc", "", [](C c) { return TValue(Header(c).Toc); }},
}};

const std::array<TFact, 3> TagFacts = {{
    {nullptr, "id3v2", "id3v2", [](C c) { return Integer(c.Tags.Id3v2); }},
    {nullptr, "trailing", "trailing", [](C c) { return Names(c.Tags.Trailing); }},
    {nullptr, "leading", "leading", [](C c) { return Names(c.Tags.Leading); }},
}};

bool HasStreamFacts(const TFileCheck& Check) {
  return Check.Stream.HasStream;
}

bool HasTagFacts(const TFileCheck& Check) {
  return Check.Verdict.Kind != TVerdictKind::Error;
}

}  // namespace kestrix
