#include "mp3_file.h"

#include <cstdio>
#include <cstring>

#include <lame/lame.h>

namespace datagen {

namespace {

struct LameSession {
  lame_global_flags* flags = lame_init();
  ~LameSession() {
    if (flags) lame_close(flags);
  }
};

}  // namespace

std::string writeMp3(const std::string& path, const std::vector<std::int16_t>& interleaved, int bitrateKbps) {
  LameSession lame;
  if (!lame.flags) return "libmp3lame could not start";
  lame_set_num_channels(lame.flags, 2);
  lame_set_in_samplerate(lame.flags, 44100);
  lame_set_out_samplerate(lame.flags, 44100);
  lame_set_brate(lame.flags, bitrateKbps);
  lame_set_mode(lame.flags, JOINT_STEREO);
  lame_set_quality(lame.flags, 5);
  lame_set_bWriteVbrTag(lame.flags, 1);           // the Info tag with delay and padding
  lame_set_write_id3tag_automatic(lame.flags, 0);  // no ID3 tags: the tag frame is the first frame
  if (lame_init_params(lame.flags) < 0) return "libmp3lame rejected the encoding parameters";

  const int chunk = 8192;
  std::vector<unsigned char> out;
  std::vector<unsigned char> buffer(static_cast<std::size_t>(chunk) * 5 / 4 + 7200);
  std::size_t frames = interleaved.size() / 2;
  for (std::size_t done = 0; done < frames; done += chunk) {
    int count = static_cast<int>(frames - done < static_cast<std::size_t>(chunk) ? frames - done : chunk);
    int written = lame_encode_buffer_interleaved(lame.flags, const_cast<short*>(&interleaved[done * 2]), count,
                                                 buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) return "MP3 encoding failed (libmp3lame error " + std::to_string(written) + ")";
    out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  int written = lame_encode_flush(lame.flags, buffer.data(), static_cast<int>(buffer.size()));
  if (written < 0) return "MP3 encoding failed while flushing";
  out.insert(out.end(), buffer.begin(), buffer.begin() + written);

  unsigned char tag[2880];
  std::size_t tagSize = lame_get_lametag_frame(lame.flags, tag, sizeof(tag));
  if (tagSize == 0 || tagSize > sizeof(tag) || tagSize > out.size()) return "libmp3lame wrote no Info tag";
  std::memcpy(out.data(), tag, tagSize);  // replaces the empty frame LAME reserved at the start

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return "cannot write " + path + ": " + std::strerror(errno);
  bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) return "cannot write " + path + ": " + std::strerror(errno);
  return {};
}

}  // namespace datagen
