// A .mp4 file (H.264 and AAC) or a lossless .mkv file (FFV1 and FLAC) made
// by the ffmpeg program: the pictures go to it through a pipe as they are
// captured; the music of the same frames, sample for sample, is collected and
// muxed in when the capture ends.
#ifndef ZELVARO_TOOLS_CAPTURE_VIDEO_WRITER_H
#define ZELVARO_TOOLS_CAPTURE_VIDEO_WRITER_H

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "picture_queue.h"

struct VideoSettings {
    int width = 0;
    int height = 0;
    int fps = 60;
    bool lossless = false;  // FFV1 and FLAC in a .mkv file
    int crf = -1;           // H.264 quality; -1: defaultCrf
};

class VideoWriter {
public:
    static constexpr int defaultCrf = 18;

    ~VideoWriter();
    // Starts ffmpeg; false with the reason when it cannot run.
    bool open(const std::string& path, const VideoSettings& settings, std::string* error);
    // One picture: rows of B, G, R, A, `pitch` bytes apart.
    bool addPicture(const unsigned char* bgra, int pitch, std::string* error);
    // The 16-bit stereo 44100 Hz music of one picture, from its music time on.
    void addAudio(const std::vector<unsigned char>& pcm);
    // Ends the video and muxes the music in; the file is complete afterwards.
    bool finish(std::string* error);

private:
    bool writeWave(const std::string& path, std::string* error) const;

    std::string path;
    std::string videoOnlyPath;
    std::string wavePath;
    int width = 0;
    int height = 0;
    bool lossless = false;
    std::FILE* pipe = nullptr;
    pid_t encoder = -1;
    std::unique_ptr<PictureQueue> pictures;  // on their way into `pipe`
    std::vector<unsigned char> audio;
};

#endif  // ZELVARO_TOOLS_CAPTURE_VIDEO_WRITER_H
