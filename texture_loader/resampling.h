// Filling one texture level from an image: resizing with the D3DX filters
// (none, point, linear, triangle, box; wrap addressing unless the mirror flag
// of an axis asks for clamping), colour keying and format conversion.
#ifndef ZELVARO_TEXTURE_LOADER_RESAMPLING_H
#define ZELVARO_TEXTURE_LOADER_RESAMPLING_H

#include "decoded_image.h"

// The filter type in the low bits of a D3DX filter code.
inline DWORD filterType(DWORD filter) { return filter & 0xFFFF; }

// True for a valid D3DX filter code (type 1..5 and known flag bits).
bool filterValid(DWORD filter);

// Writes `width` x `height` pixels of `format` at `destination` (rows
// `pitch` bytes apart) resampled from `source` with `filter`. Source pixels
// equal to `colorKey` (an A8R8G8B8 value; 0 for none) become transparent
// black. Palette formats are written as indices into `palette`.
HRESULT loadLevelFromImage(BYTE* destination, UINT pitch, D3DFORMAT format,
                           const PALETTEENTRY* palette, UINT width, UINT height,
                           const DecodedImage* source, DWORD filter, D3DCOLOR colorKey);

#endif  // ZELVARO_TEXTURE_LOADER_RESAMPLING_H
