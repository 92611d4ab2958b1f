#include "resampling.h"

#include <cmath>
#include <cstring>
#include <new>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "pixel_conversion.h"

namespace {

// For each destination index along one axis, the source indices that feed it
// and their weights.
class AxisTaps {
public:
    UINT count;     // destination size
    UINT* first;    // count + 1 offsets into index and weight
    UINT* index;
    float* weight;
    bool identity;  // destination index i is source index i

    AxisTaps() : count(0), first(nullptr), index(nullptr), weight(nullptr), identity(false) {}
    ~AxisTaps() {
        delete[] first;
        delete[] index;
        delete[] weight;
    }
    bool build(UINT sourceSize, UINT destinationSize, DWORD type, bool clampEdges);

private:
    UINT used;
    UINT address(long long i, UINT size, bool clampEdges) const {
        if (clampEdges) return i < 0 ? 0 : i >= (long long)size ? size - 1 : (UINT)i;
        long long m = i % (long long)size;
        return (UINT)(m < 0 ? m + size : m);
    }
    void add(UINT sourceIndex, float w) {
        index[used] = sourceIndex;
        weight[used] = w;
        used++;
    }
    AxisTaps(const AxisTaps&);
    AxisTaps& operator=(const AxisTaps&);
};

bool AxisTaps::build(UINT sourceSize, UINT destinationSize, DWORD type, bool clampEdges) {
    count = destinationSize;
    identity = sourceSize == destinationSize;
    double scale = (double)sourceSize / destinationSize;
    UINT perDestination = 2;
    if (type == D3DX_FILTER_TRIANGLE || type == D3DX_FILTER_BOX)
        perDestination = (UINT)ceil(2 * (scale > 1 ? scale : 1)) + 2;
    size_t capacity = (size_t)destinationSize * perDestination;
    first = new (std::nothrow) UINT[destinationSize + 1];
    index = new (std::nothrow) UINT[capacity];
    weight = new (std::nothrow) float[capacity];
    if (!first || !index || !weight) return false;
    used = 0;
    for (UINT i = 0; i < destinationSize; i++) {
        first[i] = used;
        if (identity) {
            // Same size: the pixels are taken as they are, whatever the filter.
            add(i, 1);
            continue;
        }
        switch (type) {
        case D3DX_FILTER_NONE:
            if (i < sourceSize) add(i, 1);  // beyond the image: transparent black
            break;
        case D3DX_FILTER_POINT: {
            long long s = (long long)floor((i + 0.5) * scale);
            add(address(s, sourceSize, true), 1);
            break;
        }
        case D3DX_FILTER_LINEAR: {
            double s = i * scale - 0.5;
            double low = floor(s);
            float f = (float)(s - low);
            add(address((long long)low, sourceSize, clampEdges), 1 - f);
            add(address((long long)low + 1, sourceSize, clampEdges), f);
            break;
        }
        case D3DX_FILTER_TRIANGLE: {
            double radius = scale > 1 ? scale : 1;
            double centre = (i + 0.5) * scale - 0.5;
            long long from = (long long)ceil(centre - radius);
            long long to = (long long)floor(centre + radius);
            UINT start = used;
            double total = 0;
            for (long long j = from; j <= to; j++) {
                double w = 1 - fabs(j - centre) / radius;
                if (w <= 0) continue;
                add(address(j, sourceSize, clampEdges), (float)w);
                total += w;
            }
            for (UINT k = start; k < used; k++) weight[k] = (float)(weight[k] / total);
            break;
        }
        default: {  // box: the area each source pixel covers of the footprint
            double from = i * scale;
            double to = (i + 1) * scale;
            if (scale < 1) {
                from = floor((i + 0.5) * scale);
                to = from + 1;
            }
            UINT start = used;
            double total = 0;
            for (long long j = (long long)floor(from); j < to; j++) {
                double w = (j + 1 < to ? j + 1 : to) - (j > from ? j : from);
                if (w <= 1e-9) continue;
                add(address(j, sourceSize, clampEdges), (float)w);
                total += w;
            }
            for (UINT k = start; k < used; k++) weight[k] = (float)(weight[k] / total);
            break;
        }
        }
    }
    first[destinationSize] = used;
    return true;
}

// sum += w * p, channel by channel: a product rounded, then a sum rounded,
// the same with or without the processor's four-wide registers.
inline void addWeighted(FloatPixel* sum, float w, const FloatPixel& p) {
#if defined(__SSE2__)
    const __m128 product = _mm_mul_ps(_mm_set1_ps(w), _mm_loadu_ps(&p.a));
    _mm_storeu_ps(&sum->a, _mm_add_ps(_mm_loadu_ps(&sum->a), product));
#else
    sum->a += w * p.a;
    sum->r += w * p.r;
    sum->g += w * p.g;
    sum->b += w * p.b;
#endif
}

// Source rows converted to floats and filtered horizontally, kept while
// consecutive destination rows need them.
class FilteredRowCache {
public:
    UINT slots;
    int* row;
    unsigned* lastUse;
    FloatPixel* data;  // slots x destination width
    FloatPixel* sourceRow;
    UINT width;
    UINT runCount;  // runs of source columns that the horizontal taps use
    UINT* runStart;
    UINT* runLength;

    FilteredRowCache()
        : slots(0), row(nullptr), lastUse(nullptr), data(nullptr), sourceRow(nullptr), width(0),
          runCount(0), runStart(nullptr), runLength(nullptr) {}
    ~FilteredRowCache() {
        delete[] row;
        delete[] lastUse;
        delete[] data;
        delete[] sourceRow;
        delete[] runStart;
        delete[] runLength;
    }
    // Finds the runs of columns in use; pixel pairs (UYVY, YUY2) convert whole rows.
    bool findColumnRuns(const AxisTaps& horizontal, UINT sourceWidth, bool wholeRows) {
        bool* used = new (std::nothrow) bool[sourceWidth];
        runStart = new (std::nothrow) UINT[sourceWidth];
        runLength = new (std::nothrow) UINT[sourceWidth];
        if (!used || !runStart || !runLength) {
            delete[] used;
            return false;
        }
        for (UINT x = 0; x < sourceWidth; x++) used[x] = wholeRows;
        for (UINT k = 0; k < horizontal.first[horizontal.count]; k++) used[horizontal.index[k]] = true;
        runCount = 0;
        for (UINT x = 0; x < sourceWidth;) {
            if (!used[x]) {
                x++;
                continue;
            }
            UINT start = x;
            while (x < sourceWidth && used[x]) x++;
            runStart[runCount] = start;
            runLength[runCount] = x - start;
            runCount++;
        }
        delete[] used;
        return true;
    }
    bool prepare(UINT slotCount, UINT destinationWidth, UINT sourceWidth) {
        slots = slotCount;
        width = destinationWidth;
        row = new (std::nothrow) int[slots];
        lastUse = new (std::nothrow) unsigned[slots];
        data = new (std::nothrow) FloatPixel[(size_t)slots * width];
        sourceRow = new (std::nothrow) FloatPixel[sourceWidth];
        if (!row || !lastUse || !data || !sourceRow) return false;
        for (UINT i = 0; i < slots; i++) {
            row[i] = -1;
            lastUse[i] = 0;
        }
        return true;
    }

private:
    FilteredRowCache(const FilteredRowCache&);
    FilteredRowCache& operator=(const FilteredRowCache&);
};

const FloatPixel* filteredRow(FilteredRowCache* cache, UINT sourceRow, unsigned generation,
                              const DecodedImage* source, const AxisTaps& horizontal,
                              D3DCOLOR colorKey) {
    UINT victim = 0;
    for (UINT i = 0; i < cache->slots; i++) {
        if (cache->row[i] == (int)sourceRow) {
            cache->lastUse[i] = generation;
            return cache->data + (size_t)i * cache->width;
        }
        bool free = cache->lastUse[i] != generation;
        bool victimFree = cache->lastUse[victim] != generation;
        if (free && (!victimFree || cache->lastUse[i] < cache->lastUse[victim])) victim = i;
    }
    // Only the source columns that the horizontal taps use are converted.
    FloatPixel* in = cache->sourceRow;
    const BYTE* row = source->pixels + (size_t)sourceRow * source->pitch;
    UINT bytes = pixelFormatBytes(source->format);
    for (UINT r = 0; r < cache->runCount; r++) {
        UINT from = cache->runStart[r];
        UINT count = cache->runLength[r];
        readPixels(source->format, row + (size_t)from * bytes, count, source->palette, in + from);
        if (colorKey) {
            for (UINT x = from; x < from + count; x++)
                if (pixelToColour(in[x]) == colorKey) in[x].a = in[x].r = in[x].g = in[x].b = 0;
        }
    }
    FloatPixel* out = cache->data + (size_t)victim * cache->width;
    for (UINT x = 0; x < cache->width; x++) {
        FloatPixel sum = {0, 0, 0, 0};
        for (UINT k = horizontal.first[x]; k < horizontal.first[x + 1]; k++)
            addWeighted(&sum, horizontal.weight[k], in[horizontal.index[k]]);
        out[x] = sum;
    }
    cache->row[victim] = (int)sourceRow;
    cache->lastUse[victim] = generation;
    return out;
}

// What one filtered level is made of, for the threads that share its rows.
struct LevelJob {
    BYTE* destination;
    UINT pitch;
    D3DFORMAT format;
    const PALETTEENTRY* palette;
    UINT width;
    const DecodedImage* source;
    const AxisTaps* horizontal;
    const AxisTaps* vertical;
    UINT mostTaps;
    D3DCOLOR colorKey;
};

// Levels of at least this many pixels are filtered by two threads.
const size_t parallelPixels = 128 * 1024;

// Destination rows [begin, end) of a level; false when memory runs out.
bool filterRows(const LevelJob& job, UINT begin, UINT end) {
    if (begin >= end) return true;
    const UINT width = job.width;
    FilteredRowCache cache;
    FloatPixel* sum = new (std::nothrow) FloatPixel[width];
    bool pairs = job.source->format == D3DFMT_UYVY || job.source->format == D3DFMT_YUY2;
    if (!sum || !cache.prepare(job.mostTaps + 1, width, job.source->width) ||
        !cache.findColumnRuns(*job.horizontal, job.source->width, pairs)) {
        delete[] sum;
        return false;
    }
    const AxisTaps& vertical = *job.vertical;
    for (UINT y = begin; y < end; y++) {
        memset(sum, 0, sizeof(FloatPixel) * width);
        unsigned generation = y + 1;
        for (UINT k = vertical.first[y]; k < vertical.first[y + 1]; k++) {
            const FloatPixel* in = filteredRow(&cache, vertical.index[k], generation, job.source,
                                               *job.horizontal, job.colorKey);
            float w = vertical.weight[k];
            for (UINT x = 0; x < width; x++) addWeighted(&sum[x], w, in[x]);
        }
        writePixels(job.format, sum, width, job.palette, job.destination + (size_t)y * job.pitch);
    }
    delete[] sum;
    return true;
}

// A level of the source's size: each row converted to the level's format.
bool convertRows(BYTE* destination, UINT pitch, D3DFORMAT format, const PALETTEENTRY* palette,
                 const DecodedImage* source) {
    const UINT width = source->width;
    FloatPixel* row = new (std::nothrow) FloatPixel[width];
    if (!row) return false;
    for (UINT y = 0; y < source->height; y++) {
        readPixels(source->format, source->pixels + (size_t)y * source->pitch, width, source->palette, row);
        writePixels(format, row, width, palette, destination + (size_t)y * pitch);
    }
    delete[] row;
    return true;
}

}  // namespace

bool filterValid(DWORD filter) {
    DWORD type = filterType(filter);
    if (type < D3DX_FILTER_NONE || type > D3DX_FILTER_BOX) return false;
    return (filter & ~(0xFFFFu | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER)) == 0;
}

HRESULT loadLevelFromImage(BYTE* destination, UINT pitch, D3DFORMAT format,
                           const PALETTEENTRY* palette, UINT width, UINT height,
                           const DecodedImage* source, DWORD filter, D3DCOLOR colorKey) {
    if (!destination || !source || !source->pixels || width == 0 || height == 0)
        return E_INVALIDARG;
    if (!pixelFormatConvertible(format) || !pixelFormatConvertible(source->format)) return E_FAIL;
    if (!filterValid(filter)) return E_INVALIDARG;

    // Same size and layout without a key: the rows are copied.
    bool samePalette = source->format != D3DFMT_P8 && source->format != D3DFMT_A8P8;
    if (source->width == width && source->height == height && source->format == format &&
        !colorKey && samePalette) {
        size_t rowBytes = (size_t)width * pixelFormatBytes(format);
        for (UINT y = 0; y < height; y++)
            memcpy(destination + (size_t)y * pitch, source->pixels + (size_t)y * source->pitch,
                   rowBytes);
        return S_OK;
    }

    // Same size: every filter takes each pixel as it is (one tap of weight
    // 1), so the rows are only converted.
    if (source->width == width && source->height == height && !colorKey) {
        return convertRows(destination, pitch, format, palette, source) ? S_OK : E_OUTOFMEMORY;
    }

    DWORD type = filterType(filter);
    AxisTaps horizontal;
    AxisTaps vertical;
    if (!horizontal.build(source->width, width, type, (filter & D3DX_FILTER_MIRROR_U) != 0) ||
        !vertical.build(source->height, height, type, (filter & D3DX_FILTER_MIRROR_V) != 0))
        return E_OUTOFMEMORY;
    UINT mostTaps = 1;
    for (UINT y = 0; y < height; y++) {
        UINT taps = vertical.first[y + 1] - vertical.first[y];
        if (taps > mostTaps) mostTaps = taps;
    }
    LevelJob job = {destination, pitch, format, palette, width, source, &horizontal, &vertical,
                    mostTaps, colorKey};
    // Rows depend on the source only: a large level is shared with a second
    // thread, each half with its own row cache, and comes out the same.
    UINT split = height;
    if ((size_t)width * height >= parallelPixels && height >= 2 && std::thread::hardware_concurrency() > 1)
        split = height / 2;
    bool lowerDone = true;
    std::thread lower;
    if (split < height) {
        try {
            lower = std::thread([&job, &lowerDone, split, height] { lowerDone = filterRows(job, split, height); });
        } catch (...) {
            split = height;  // no thread to be had: one does it all
        }
    }
    bool upperDone = filterRows(job, 0, split);
    if (lower.joinable()) lower.join();
    return upperDone && lowerDone ? S_OK : E_OUTOFMEMORY;
}
