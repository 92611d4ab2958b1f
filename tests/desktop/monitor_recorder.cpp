// Records a sound server's source (the monitor of the sink the show plays
// into) as raw 16-bit stereo at 44100 Hz, with the moment each sample was
// captured: after every read, one line "T L N" goes to the times file, where
// T is the monotonic clock in seconds, L the record latency the server
// reports in microseconds and N the number of stereo frames read so far, so
// frame N was captured at about T - L. Runs until SIGTERM or SIGINT.
//
//   desktop_monitor_recorder SOURCE OUT.raw OUT.times
#include <pulse/error.h>
#include <pulse/simple.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: desktop_monitor_recorder SOURCE OUT.raw OUT.times\n");
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = 44100;
    sampleFormat.channels = 2;
    pa_buffer_attr buffer{};
    buffer.maxlength = uint32_t(-1);
    buffer.fragsize = 441 * 4;  // 10 ms
    int error = 0;
    pa_simple* source = pa_simple_new(nullptr, "zelvaro sync check", PA_STREAM_RECORD, argv[1], "monitor",
                                      &sampleFormat, nullptr, &buffer, &error);
    if (source == nullptr) {
        std::fprintf(stderr, "desktop_monitor_recorder: cannot record %s: %s\n", argv[1], pa_strerror(error));
        return 1;
    }
    std::FILE* raw = std::fopen(argv[2], "wb");
    std::FILE* times = std::fopen(argv[3], "w");
    if (raw == nullptr || times == nullptr) {
        std::fprintf(stderr, "desktop_monitor_recorder: cannot write %s or %s\n", argv[2], argv[3]);
        return 1;
    }
    std::vector<unsigned char> chunk(441 * 4);
    unsigned long long frames = 0;
    while (!stopRequested) {
        if (pa_simple_read(source, chunk.data(), chunk.size(), &error) < 0) {
            if (stopRequested) break;
            std::fprintf(stderr, "desktop_monitor_recorder: %s\n", pa_strerror(error));
            break;
        }
        const double now = monotonicSeconds();
        const pa_usec_t latency = pa_simple_get_latency(source, &error);
        std::fwrite(chunk.data(), 1, chunk.size(), raw);
        frames += chunk.size() / 4;
        std::fprintf(times, "%.6f %llu %llu\n", now, static_cast<unsigned long long>(latency), frames);
    }
    std::fclose(raw);
    std::fclose(times);
    pa_simple_free(source);
    return 0;
}
