// Decompression of 4 x 4 block formats (DXT1 to DXT5, and the one- and
// two-channel BC4 and BC5) into A8R8G8B8 pixels.
#ifndef ZELVARO_TEXTURE_LOADER_BLOCK_DECOMPRESSION_H
#define ZELVARO_TEXTURE_LOADER_BLOCK_DECOMPRESSION_H

#include <windows.h>

enum BlockFormat { blockDxt1, blockDxt2, blockDxt3, blockDxt4, blockDxt5, blockBc4, blockBc5 };

// Bytes one 4 x 4 block takes: 8 or 16.
UINT blockBytes(BlockFormat format);
// Bytes of a whole width x height image, rounded up to whole blocks.
size_t blockImageBytes(BlockFormat format, UINT width, UINT height);
// Decompresses `blocks` (blockImageBytes of them) into width x height
// A8R8G8B8 pixels at `out` with the given pitch. Premultiplied forms (DXT2,
// DXT4) are divided back by their alpha.
void decompressBlocks(BlockFormat format, const BYTE* blocks, UINT width, UINT height, BYTE* out,
                      UINT pitch);

#endif  // ZELVARO_TEXTURE_LOADER_BLOCK_DECOMPRESSION_H
