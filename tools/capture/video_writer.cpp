#include "video_writer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "partial_file.h"

namespace {

// Pictures waiting for the encoder: a second's worth at 1024 x 768 and 30 fps.
constexpr size_t maxQueuedBytes = size_t(96) << 20;

// Runs ffmpeg with `arguments`; with `input` it gets a pipe to its standard input.
pid_t startFfmpeg(const std::vector<std::string>& arguments, std::FILE** input) {
    // Everything the child needs is made before fork: after it only exec.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("ffmpeg"));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int ends[2] = {-1, -1};
    if (input != nullptr && pipe(ends) != 0) return -1;
    const int nothing = input == nullptr ? open("/dev/null", O_RDONLY) : -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(input != nullptr ? ends[0] : nothing, STDIN_FILENO);
        dup2(STDERR_FILENO, STDOUT_FILENO);  // standard output carries the trace
        if (input != nullptr) {
            close(ends[0]);
            close(ends[1]);
        }
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    if (nothing >= 0) close(nothing);
    if (input != nullptr) {
        close(ends[0]);
        if (child < 0) {
            close(ends[1]);
            return -1;
        }
        *input = fdopen(ends[1], "wb");
    }
    return child;
}

// ffmpeg's exit status, or a text saying how it ended otherwise.
bool waitForFfmpeg(pid_t child, std::string* error) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            *error = "lost the ffmpeg program";
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        *error = "cannot run ffmpeg (install Debian's ffmpeg package)";
    } else {
        *error = "ffmpeg failed (exit status " +
                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    }
    return false;
}

void putLittle(std::FILE* file, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(int((value >> (8 * i)) & 0xFF), file);
}

}  // namespace

VideoWriter::~VideoWriter() {
    // Never finished: nothing of it is kept. The encoder goes first, so that
    // a write into its pipe ends and the writing thread can stop.
    if (encoder > 0) kill(encoder, SIGTERM);
    pictures.reset();
    if (pipe != nullptr) std::fclose(pipe);
    if (encoder > 0) {
        waitpid(encoder, nullptr, 0);
        std::remove(videoOnlyPath.c_str());
    }
}

bool VideoWriter::open(const std::string& target, const VideoSettings& settings,
                       std::string* error) {
    path = target;
    lossless = settings.lossless;
    const std::string ending = lossless ? ".mkv" : ".mp4";
    // Everything is written under partial names; the muxed file is renamed
    // to `target` when it is complete.
    videoOnlyPath = partialName(target + ".video" + ending);
    wavePath = partialName(target + ".music.wav");
    width = settings.width;
    height = settings.height;
    // ffmpeg must not die of a closed pipe quietly: we see its exit status instead.
    signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> arguments = {
        "-y", "-loglevel", "error", "-f", "rawvideo", "-pixel_format", "bgra", "-video_size",
        std::to_string(width) + "x" + std::to_string(height), "-framerate",
        std::to_string(settings.fps), "-i", "-"};
    if (lossless) {
        // FFV1 keeps the pictures' RGB exactly, as the PNG files have them.
        arguments.insert(arguments.end(), {"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"});
    } else {
        const int crf = settings.crf >= 0 ? settings.crf : defaultCrf;
        arguments.insert(arguments.end(), {"-c:v", "libx264", "-preset", "fast", "-crf",
                                           std::to_string(crf), "-pix_fmt", "yuv420p"});
    }
    arguments.push_back(videoOnlyPath);
    encoder = startFfmpeg(arguments, &pipe);
    if (encoder < 0 || pipe == nullptr) {
        *error = "cannot start ffmpeg";
        return false;
    }
    pictures.reset(new PictureQueue(pipe, size_t(width) * 4, height, maxQueuedBytes));
    return true;
}

bool VideoWriter::addPicture(const unsigned char* bgra, int pitch, std::string* error) {
    if (!pictures->push(bgra, pitch)) {
        *error = "ffmpeg stopped taking pictures";
        return false;
    }
    return true;
}

void VideoWriter::addAudio(const std::vector<unsigned char>& pcm) {
    audio.insert(audio.end(), pcm.begin(), pcm.end());
}

bool VideoWriter::writeWave(const std::string& wave, std::string* error) const {
    std::FILE* file = std::fopen(wave.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + wave + ": " + std::strerror(errno);
        return false;
    }
    const uint32_t dataBytes = uint32_t(audio.size());
    std::fwrite("RIFF", 1, 4, file);
    putLittle(file, 36 + dataBytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, file);
    putLittle(file, 16, 4);          // format chunk size
    putLittle(file, 1, 2);           // PCM
    putLittle(file, 2, 2);           // stereo
    putLittle(file, 44100, 4);       // frames per second
    putLittle(file, 44100 * 4, 4);   // bytes per second
    putLittle(file, 4, 2);           // bytes per frame
    putLittle(file, 16, 2);          // bits per sample
    std::fwrite("data", 1, 4, file);
    putLittle(file, dataBytes, 4);
    const bool written = std::fwrite(audio.data(), 1, audio.size(), file) == audio.size();
    if (std::fclose(file) != 0 || !written) {
        *error = "cannot write " + wave;
        return false;
    }
    return true;
}

bool VideoWriter::finish(std::string* error) {
    const bool allWritten = pictures->drain();
    pictures.reset();
    std::fclose(pipe);
    pipe = nullptr;
    const pid_t video = encoder;
    encoder = -1;
    bool ok = waitForFfmpeg(video, error);
    if (ok && !allWritten) {
        *error = "ffmpeg stopped taking pictures";
        ok = false;
    }
    ok = ok && writeWave(wavePath, error);
    if (ok) {
        // The music goes in as it is, at its own 44100 Hz: nothing is resampled.
        std::vector<std::string> arguments = {"-y", "-loglevel", "error", "-i", videoOnlyPath,
                                              "-i", wavePath, "-map", "0:v", "-map", "1:a",
                                              "-c:v", "copy"};
        if (lossless) {
            arguments.insert(arguments.end(), {"-c:a", "flac"});
        } else {
            arguments.insert(arguments.end(), {"-c:a", "aac", "-b:a", "192k"});
        }
        arguments.push_back(partialName(path));
        const pid_t mux = startFfmpeg(arguments, nullptr);
        ok = mux > 0 && waitForFfmpeg(mux, error) && completePartial(path, error);
    }
    std::remove(partialName(path).c_str());  // left only when something failed
    std::remove(videoOnlyPath.c_str());
    std::remove(wavePath.c_str());
    return ok;
}
