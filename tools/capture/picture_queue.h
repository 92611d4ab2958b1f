// Pictures on their way to the encoder. A thread of their own writes them
// into the encoder's pipe while the show draws the next ones, so that the
// drawing and the encoding share the cores instead of taking turns: a frame
// that is slow to draw no longer leaves the encoder waiting, nor a frame
// that is slow to encode the drawing. The queue holds a bounded number of
// pictures; a full queue makes the show wait.
#ifndef ZELVARO_TOOLS_CAPTURE_PICTURE_QUEUE_H
#define ZELVARO_TOOLS_CAPTURE_PICTURE_QUEUE_H

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class PictureQueue {
public:
    // Pictures of `rowBytes` x `rows` bytes go to `pipe`; at most `maxBytes`
    // of them wait at a time (at least two pictures).
    PictureQueue(std::FILE* pipe, size_t rowBytes, int rows, size_t maxBytes);
    // Stops the writing thread; pictures not written yet are dropped.
    ~PictureQueue();
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;

    // Copies a picture (rows `pitch` bytes apart) into the queue; false once
    // a write into the pipe has failed.
    bool push(const unsigned char* picture, int pitch);
    // Waits until every picture is written; false if a write failed.
    bool drain();

private:
    void write();

    std::FILE* pipe;
    size_t rowBytes;
    int rows;
    size_t capacity;  // pictures
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<unsigned char>> waiting;
    std::vector<std::vector<unsigned char>> spare;  // written pictures, for reuse
    bool writing = false;  // the thread holds a picture it took from the queue
    bool stopping = false;
    bool failed = false;
    std::thread writer;
};

#endif  // ZELVARO_TOOLS_CAPTURE_PICTURE_QUEUE_H
