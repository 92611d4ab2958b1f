#include "audio_server.h"

#include <pulse/pulseaudio.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>


namespace {

// How much the server keeps buffered ahead of the sink, and how much it asks
// for at a time. The picture follows what is heard whatever the latency, so
// the buffer is sized to play without gaps on a loaded machine.
constexpr pa_usec_t targetBufferMicroseconds = 150000;
constexpr pa_usec_t requestMicroseconds = 10000;

}  // namespace

uint64_t AudioServerOutput::periodBytes() {
    // Accounts arrive every request (about 10 ms); a loaded machine may delay
    // them by a good part of the buffer.
    return uint64_t(double(targetBufferMicroseconds) * 1e-6 * double(audioRate)) * audioFrameBytes;
}

void AudioServerOutput::contextChanged(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<AudioServerOutput*>(self)->loop, 0);
}

void AudioServerOutput::streamChanged(pa_stream*, void* self) {
    pa_threaded_mainloop_signal(static_cast<AudioServerOutput*>(self)->loop, 0);
}

void AudioServerOutput::streamWants(pa_stream*, size_t bytes, void* self) {
    static_cast<AudioServerOutput*>(self)->fill(bytes);
}

bool AudioServerOutput::open(AudioMixer* target, std::string* problem) {
    close();
    mixer = target;
    loop = pa_threaded_mainloop_new();
    if (loop == nullptr) {
        *problem = "cannot start the sound server's client";
        return false;
    }
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "zelvaro");
    if (context == nullptr || pa_threaded_mainloop_start(loop) < 0) {
        *problem = "cannot start the sound server's client";
        close();
        return false;
    }
    pa_threaded_mainloop_lock(loop);
    pa_context_set_state_callback(context, contextChanged, this);
    bool ready = pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    while (ready) {
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(state)) ready = false;
        else pa_threaded_mainloop_wait(loop);
    }
    if (!ready) {
        *problem = std::string("no sound server: ") + pa_strerror(pa_context_errno(context));
        pa_threaded_mainloop_unlock(loop);
        close();
        return false;
    }

    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16NE;
    sampleFormat.rate = uint32_t(audioRate);
    sampleFormat.channels = 2;
    stream = pa_stream_new(context, "music", &sampleFormat, nullptr);
    if (stream != nullptr) {
        pa_stream_set_state_callback(stream, streamChanged, this);
        pa_stream_set_write_callback(stream, streamWants, this);
        pa_buffer_attr buffer{};
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(pa_usec_to_bytes(targetBufferMicroseconds, &sampleFormat));
        buffer.prebuf = uint32_t(-1);
        buffer.minreq = uint32_t(pa_usec_to_bytes(requestMicroseconds, &sampleFormat));
        buffer.fragsize = uint32_t(-1);
        const pa_stream_flags_t flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
        ready = pa_stream_connect_playback(stream, nullptr, &buffer, flags, nullptr, nullptr) >= 0;
        while (ready) {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(state)) ready = false;
            else pa_threaded_mainloop_wait(loop);
        }
    } else {
        ready = false;
    }
    if (!ready) {
        *problem = std::string("the sound server refused the stream: ") +
                   pa_strerror(pa_context_errno(context));
        pa_threaded_mainloop_unlock(loop);
        close();
        return false;
    }
    pa_threaded_mainloop_unlock(loop);
    return true;
}

// On the client's own thread, with its lock held: the server asks for more.
void AudioServerOutput::fill(size_t bytes) {
    bytes -= bytes % audioFrameBytes;
    if (bytes == 0) return;
    void* buffer = nullptr;
    size_t size = bytes;
    if (pa_stream_begin_write(stream, &buffer, &size) < 0 || buffer == nullptr) return;
    size -= size % audioFrameBytes;
    mixer->mix(static_cast<unsigned char*>(buffer), size);
    if (pa_stream_write(stream, buffer, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    // A fresh account of the playback with every request for more.
    if (!updatePending) {
        pa_operation* operation = pa_stream_update_timing_info(stream, timingUpdated, this);
        if (operation != nullptr) {
            updatePending = true;
            pa_operation_unref(operation);
        }
    }
}

void AudioServerOutput::timingUpdated(pa_stream*, int success, void* self) {
    auto* output = static_cast<AudioServerOutput*>(self);
    output->updatePending = false;
    if (success) output->report();
}

// From the server's own account: the stream's read index
// (bytes the sink has taken from the stream, in the order they were written)
// less what the sink holds but has not yet played is what is heard then. A
// gap (the server ran dry) moves the read index on; the account follows it.
void AudioServerOutput::report() {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (timing == nullptr || timing->read_index_corrupt || timing->write_index_corrupt) return;
    const pa_sample_spec* sampleFormat = pa_stream_get_sample_spec(stream);
    // The account was taken half a round trip before it arrived (its
    // timestamp); the sink has played on since.
    const int64_t sinkBytes = int64_t(pa_usec_to_bytes(timing->sink_usec, sampleFormat));
    const int64_t transportBytes = int64_t(pa_usec_to_bytes(timing->transport_usec, sampleFormat));
    const int64_t heard = std::max<int64_t>(timing->read_index + transportBytes - sinkBytes, 0);
    const int64_t pending = std::max<int64_t>(timing->write_index - heard, 0);
    latencyMicroseconds = int64_t(pa_bytes_to_usec(uint64_t(pending), sampleFormat));
    // The account's arrival is a wall-clock time; the mixer's clock is the
    // monotonic one.
    const pa_usec_t age = pa_timeval_age(&timing->timestamp);
    const AudioMixer::Clock::time_point at =
        AudioMixer::Clock::now() - std::chrono::microseconds(static_cast<int64_t>(age));
    mixer->reportHeard(uint64_t(heard) - uint64_t(heard) % audioFrameBytes, at);
}

void AudioServerOutput::start() {
    if (stream == nullptr) return;
    pa_threaded_mainloop_lock(loop);
    pa_operation* operation = pa_stream_cork(stream, 0, nullptr, nullptr);
    if (operation != nullptr) pa_operation_unref(operation);
    pa_threaded_mainloop_unlock(loop);
}

void AudioServerOutput::close() {
    if (loop != nullptr) pa_threaded_mainloop_stop(loop);
    if (stream != nullptr) {
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context != nullptr) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    if (loop != nullptr) pa_threaded_mainloop_free(loop);
    stream = nullptr;
    context = nullptr;
    loop = nullptr;
    mixer = nullptr;
    updatePending = false;
    latencyMicroseconds = -1;
}
