// The image decoders, tried in this order by the loader: BMP, PPM, DDS, JPG,
// PNG, TGA, DIB. Each reads `size` bytes at `data` (the mapped file) and
// either fills `image` and returns S_OK, or returns a failure code; a failed
// attempt may leave partial state in `image`, which the caller resets.
// Every length, offset, count and dimension is checked against `size` before
// it is used.
#ifndef ZELVARO_TEXTURE_LOADER_IMAGE_DECODERS_H
#define ZELVARO_TEXTURE_LOADER_IMAGE_DECODERS_H

#include "decoded_image.h"

HRESULT decodeBmp(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodePpm(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodeDds(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodeJpg(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodePng(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodeTga(const BYTE* data, UINT size, DecodedImage* image);
HRESULT decodeDib(const BYTE* data, UINT size, DecodedImage* image);

// Tries every decoder in order and resets the image between attempts.
// Reports "Unsupported file format" when none accepts the data.
HRESULT decodeImageFile(const BYTE* data, UINT size, DecodedImage* image);

#endif  // ZELVARO_TEXTURE_LOADER_IMAGE_DECODERS_H
