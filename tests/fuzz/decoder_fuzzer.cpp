// libFuzzer target for one image decoder, chosen at build time by
// ZELVARO_FUZZ_DECODER (decodeBmp, decodeDib, ...). A decoded image is read
// back whole, so that pixels used in place from the input are checked
// against its end as well.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_decoders.h"
#include "pixel_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    DecodedImage image;
    if (FAILED(ZELVARO_FUZZ_DECODER(data, (UINT)size, &image))) return 0;
    for (DecodedImage* face = &image; face; face = face->nextFace) {
        for (DecodedImage* level = face; level; level = level->nextLevel) {
            if (!pixelFormatConvertible(level->format)) continue;
            std::vector<FloatPixel> row(level->width);
            for (UINT y = 0; y < level->height; y++)
                readPixels(level->format, level->pixels + (size_t)y * level->pitch, level->width,
                           level->palette, row.data());
        }
    }
    return 0;
}
