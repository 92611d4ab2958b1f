// MP3 encoding through libmp3lame: constant bit rate with a LAME "Info" tag
// in the first frame. The tag records the encoder delay and the padding, so
// decoders that read it (libmpg123 does) return exactly the samples encoded,
// starting at t = 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// interleaved: left, right, left, right, ... at 44.1 kHz. Empty string on success.
std::string writeMp3(const std::string& path, const std::vector<std::int16_t>& interleaved, int bitrateKbps);

}  // namespace datagen
