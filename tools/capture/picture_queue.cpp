#include "picture_queue.h"

#include <algorithm>
#include <cstring>
#include <utility>

PictureQueue::PictureQueue(std::FILE* output, size_t bytesPerRow, int rowCount, size_t maxBytes)
    : pipe(output), rowBytes(bytesPerRow), rows(rowCount) {
    const size_t pictureBytes = std::max<size_t>(rowBytes * size_t(rows), 1);
    capacity = std::max<size_t>(maxBytes / pictureBytes, 2);
    writer = std::thread(&PictureQueue::write, this);
}

PictureQueue::~PictureQueue() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    writer.join();
}

bool PictureQueue::push(const unsigned char* picture, int pitch) {
    std::vector<unsigned char> copy;
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return failed || waiting.size() < capacity; });
        if (failed) return false;
        if (!spare.empty()) {
            copy = std::move(spare.back());
            spare.pop_back();
        }
    }
    copy.resize(rowBytes * size_t(rows));
    for (int y = 0; y < rows; ++y) {
        std::memcpy(copy.data() + size_t(y) * rowBytes, picture + size_t(y) * size_t(pitch), rowBytes);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiting.push_back(std::move(copy));
    }
    changed.notify_all();
    return true;
}

bool PictureQueue::drain() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return failed || (waiting.empty() && !writing); });
    if (!failed && std::fflush(pipe) != 0) failed = true;
    return !failed;
}

void PictureQueue::write() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !waiting.empty(); });
        if (stopping) return;
        std::vector<unsigned char> picture = std::move(waiting.front());
        waiting.pop_front();
        writing = true;
        lock.unlock();
        const bool written = std::fwrite(picture.data(), 1, picture.size(), pipe) == picture.size();
        lock.lock();
        writing = false;
        spare.push_back(std::move(picture));
        if (!written) failed = true;
        changed.notify_all();
        if (failed) return;
    }
}
