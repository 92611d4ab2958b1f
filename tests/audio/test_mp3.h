// Small MP3 files made on the spot with LAME for the audio, Timeline and
// capture tests: a steady sine tone of a given length, rate and channel count.
#ifndef ZELVARO_TESTS_AUDIO_TEST_MP3_H
#define ZELVARO_TESTS_AUDIO_TEST_MP3_H

#include <string>
#include <vector>

std::vector<unsigned char> makeToneMp3(double seconds, int rate = 44100, int channels = 2);
// Writes bytes to path (creating nothing but the file); false on failure.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

#endif  // ZELVARO_TESTS_AUDIO_TEST_MP3_H
