#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileStream.h"
#include "reader/StreamPass.h"

namespace kestrix {

// The value of the first user text frame ("TXXX") of an ID3v2.3 or 2.4 tag
// whose description is Description (ASCII, in any case), as ASCII text
// (other characters as "?"); the tag lies at Tag, from its header on. In
// any of the four text encodings, behind ID3v2.3's unsynchronisation of the
// whole tag or ID3v2.4's of a frame. Hops over the other frames by their
// headers with small reads, not reading them; an unsynchronised ID3v2.3 tag
// is read on to the frame, as only its bytes tell where a frame ends. A
// frame's text is read only up to a few hundred bytes. Odd data never
// fails: it ends the search.
std::optional<std::string> FindUserText(platform::TStream& Stream, TByteRange Tag,
                                        std::string_view Description);

}  // namespace kestrix
