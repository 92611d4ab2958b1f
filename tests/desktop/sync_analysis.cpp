// How well the music time of each frame matches what was heard. Aligns the
// recording of the sink's monitor with the decoded soundtrack to find which
// music sample was being played at each moment, then compares that with the
// music time the program used for each frame (its frame log). Prints the
// offset in milliseconds over the first SECONDS of music (picture ahead of
// the sound is positive): mean, worst, spread, and the output latency the
// program took from the sound server. Exit code 0 when |mean| <= 10 ms and
// worst <= 20 ms, 1 otherwise, 2 when the inputs cannot be used.
//
//   desktop_sync_analysis MUSIC.mp3 RECORDING.raw RECORDING.times FRAME.log [SECONDS]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "audio_decoder.h"

namespace {

constexpr double rate = 44100.0;

int fail(const char* what) {
    std::fprintf(stderr, "desktop_sync_analysis: %s\n", what);
    return 2;
}

// The left channel of interleaved 16-bit stereo.
std::vector<int16_t> leftChannel(const std::vector<unsigned char>& pcm) {
    std::vector<int16_t> left(pcm.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = int16_t(uint16_t(pcm[i * 4]) | uint16_t(pcm[i * 4 + 1]) << 8);
    }
    return left;
}

bool readBytes(const char* path, std::vector<unsigned char>* bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

long firstLoud(const std::vector<int16_t>& samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int(samples[i])) > 64) return long(i);
    }
    return -1;
}

// The shift d (recording index = music index + d) in [from, to] that makes
// `length` recorded samples from `at` match the music best.
long bestShift(const std::vector<int16_t>& music, const std::vector<int16_t>& recording, long at, long length,
               long from, long to, double* bestDifference) {
    long best = from;
    *bestDifference = 1e300;
    for (long d = from; d <= to; ++d) {
        if (at - d < 0 || at - d + length > long(music.size()) || at + length > long(recording.size())) continue;
        double difference = 0.0;
        for (long i = 0; i < length && difference < *bestDifference; i += 2) {
            difference += std::abs(int(recording[size_t(at + i)]) - int(music[size_t(at - d + i)]));
        }
        if (difference < *bestDifference) {
            *bestDifference = difference;
            best = d;
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: desktop_sync_analysis MUSIC.mp3 RECORDING.raw RECORDING.times FRAME.log [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 5 ? std::atof(argv[5]) : 60.0;
    const bool dump = std::getenv("ZELVARO_SYNC_DUMP") != nullptr;  // one line per frame

    auto mp3 = std::make_shared<std::vector<unsigned char>>();
    if (!readBytes(argv[1], mp3.get())) return fail("cannot read the music");
    int error = 0;
    std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(mp3, &error);
    if (!decoder) return fail("the music holds no MP3 audio");
    std::vector<unsigned char> decoded;
    std::vector<unsigned char> block(1 << 16);
    for (;;) {
        const size_t got = decoder->read(block.data(), block.size());
        decoded.insert(decoded.end(), block.begin(), block.begin() + long(got));
        if (got < block.size()) break;
    }
    const std::vector<int16_t> music = leftChannel(decoded);
    std::vector<unsigned char> raw;
    if (!readBytes(argv[2], &raw)) return fail("cannot read the recording");
    const std::vector<int16_t> recording = leftChannel(raw);

    // When each recorded sample was captured: a fixed start plus its index
    // over the rate, the start taken as the median of what every read says.
    std::vector<double> starts;
    {
        std::FILE* times = std::fopen(argv[3], "r");
        if (times == nullptr) return fail("cannot read the recording's times");
        double t = 0.0;
        unsigned long long latency = 0;
        unsigned long long frames = 0;
        while (std::fscanf(times, "%lf %llu %llu", &t, &latency, &frames) == 3) {
            starts.push_back(t - double(latency) * 1e-6 - double(frames) / rate);
        }
        std::fclose(times);
    }
    if (starts.empty()) return fail("the recording has no times");
    std::nth_element(starts.begin(), starts.begin() + long(starts.size() / 2), starts.end());
    const double recordingStart = starts[starts.size() / 2];

    // Where the music begins in the recording, then the shift block by block
    // of 20 ms (a gap in the output moves it): the shift found before is
    // tried first, and looked for again only where it no longer matches.
    const long musicStart = firstLoud(music);
    const long heardStart = firstLoud(recording);
    if (musicStart < 0 || heardStart < 0) return fail("no music in the recording");
    const long blockLength = long(rate / 50);
    double difference = 0.0;
    long shift = bestShift(music, recording, heardStart + long(rate), 4096, heardStart - musicStart - 4410,
                           heardStart - musicStart + 4410, &difference);
    std::vector<long> shifts;
    std::vector<bool> heardMusic;  // per block: false inside a gap (silence heard)
    int moves = 0;
    for (long at = heardStart; at + blockLength < long(recording.size()) &&
                               at < heardStart + long((seconds + 2) * rate);
         at += blockLength) {
        double energy = 0.0;
        for (long i = 0; i < blockLength; ++i) energy += std::abs(int(recording[size_t(at + i)]));
        // Quiet blocks say little: they keep the shift before them.
        bool matched = true;
        if (energy / double(blockLength) > 32.0) {
            const double matching = 2.0 * double(blockLength);  // about 4 per compared sample
            bestShift(music, recording, at, blockLength, shift, shift, &difference);
            if (difference > matching) {
                // Near the shift before (a short gap), else anywhere within 2 s
                // (a long one); a block that matches nowhere (the silence of a
                // gap itself) keeps the shift before it.
                long found = bestShift(music, recording, at, blockLength, shift - 4410, shift + 4410, &difference);
                if (difference > matching) {
                    found = bestShift(music, recording, at, blockLength, shift - long(2 * rate), shift + long(2 * rate),
                                      &difference);
                }
                if (difference <= matching && found != shift) {
                    ++moves;
                    if (dump) std::printf("shift %ld -> %ld at %.3f s\n", shift, found, double(at) / rate);
                    shift = found;
                }
                matched = difference <= matching;
            }
        } else {
            // Silence where the music is not silent: a gap in the output.
            double expected = 0.0;
            for (long i = 0; i < blockLength && at - shift + i < long(music.size()); ++i) {
                if (at - shift + i >= 0) expected += std::abs(int(music[size_t(at - shift + i)]));
            }
            matched = expected / double(blockLength) <= 64.0;
        }
        shifts.push_back(shift);
        heardMusic.push_back(matched);
    }
    if (shifts.empty()) return fail("the recording is too short");

    std::FILE* log = std::fopen(argv[4], "r");
    if (log == nullptr) return fail("cannot read the frame log");
    std::vector<double> offsets;
    int inGaps = 0;
    double latencySum = 0.0;
    double latencyLow = 1e9;
    double latencyHigh = 0.0;
    double t = 0.0;
    double musicTime = 0.0;
    double latency = 0.0;
    while (std::fscanf(log, "%lf %lf %lf", &t, &musicTime, &latency) == 3) {
        if (musicTime <= 0.25 || musicTime > seconds) continue;  // the first frames of the music: no offset yet
        const double captured = (t - recordingStart) * rate;
        const long blockIndex =
            std::clamp(long((captured - double(heardStart)) / double(blockLength)), 0L, long(shifts.size()) - 1);
        if (!heardMusic[size_t(blockIndex)]) {
            ++inGaps;  // no music was heard then: nothing to compare with
            continue;
        }
        const double heard = (captured - double(shifts[size_t(blockIndex)])) / rate;
        offsets.push_back((musicTime - heard) * 1000.0);
        if (dump) std::printf("frame %.6f music %.4f heard %.4f offset %.2f latency %.2f block %ld\n", t, musicTime,
                              heard, offsets.back(), latency, blockIndex);
        latencySum += latency;
        latencyLow = std::min(latencyLow, latency);
        latencyHigh = std::max(latencyHigh, latency);
    }
    std::fclose(log);
    if (offsets.empty()) return fail("the frame log has no frames with music");

    double sum = 0.0;
    double worst = 0.0;
    for (double offset : offsets) {
        sum += offset;
        worst = std::max(worst, std::abs(offset));
    }
    const double mean = sum / double(offsets.size());
    std::vector<double> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    auto percentile = [&](double p) { return sorted[size_t(p * double(sorted.size() - 1))]; };
    std::printf("frames with music up to %.0f s: %zu\n", seconds, offsets.size());
    std::printf("offset of the music time from what was heard (ms, picture ahead > 0):\n");
    std::printf("  mean %.2f  worst %.2f  min %.2f  p5 %.2f  median %.2f  p95 %.2f  max %.2f\n", mean, worst,
                sorted.front(), percentile(0.05), percentile(0.5), percentile(0.95), sorted.back());
    std::printf("output latency the program used (server-reported), ms: mean %.2f  min %.2f  max %.2f\n",
                latencySum / double(offsets.size()), latencyLow, latencyHigh);
    std::printf("music found in the recording at %.3f s; gaps in the output: %d (frames during them, left out: %d)\n",
                double(heardStart) / rate, moves, inGaps);
    const bool ok = std::abs(mean) <= 10.0 && worst <= 20.0;
    std::printf("%s: |mean| <= 10 ms and worst <= 20 ms\n", ok ? "within" : "OUTSIDE");
    return ok ? 0 : 1;
}
