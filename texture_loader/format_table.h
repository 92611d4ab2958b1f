// What every pixel format holds: its class, size and channel widths, and how
// close another format comes to it.
#ifndef ZELVARO_TEXTURE_LOADER_FORMAT_TABLE_H
#define ZELVARO_TEXTURE_LOADER_FORMAT_TABLE_H

#include <d3d8.h>

enum FormatClass {
    formatClassColour = 0,
    formatClassPalette = 1,
    formatClassLuminance = 2,
    formatClassBump = 3,
    formatClassDepth = 4
};

// Channel widths in bits: c0 is the luminance of bump formats and the
// lockability of depth formats; luminance formats count their luminance in
// red, green and blue; depth formats keep stencil in green and depth in blue.
struct FormatDescriptor {
    D3DFORMAT format;
    FormatClass formatClass;
    UINT bits;
    UINT c0;
    UINT alpha;
    UINT red;
    UINT green;
    UINT blue;
    bool substitute;  // may be chosen in place of another format
};

const UINT formatTableSize = 43;
extern const FormatDescriptor formatTable[formatTableSize];

// The row of `format`, or the empty descriptor (32 bits, 8 bits in each of
// A, R, G, B, not a substitute) for a code that is not in the table.
const FormatDescriptor* findFormatDescriptor(D3DFORMAT format);

// May an image of class `source` be stored in a format of class `target`?
bool classesCompatible(FormatClass source, FormatClass target);

// Chooses the format closest to `wanted` by the cost rule. With a device,
// rows that it rejects for `usage` on a texture in the current display
// mode's format are skipped; without one (device null) every row counts.
// Returns D3DFMT_UNKNOWN when nothing qualifies.
D3DFORMAT findClosestDeviceFormat(IDirect3DDevice8* device, D3DFORMAT wanted, DWORD usage,
                                  D3DRESOURCETYPE resourceType);
D3DFORMAT findClosestFormat(const FormatDescriptor& wanted);

#endif  // ZELVARO_TEXTURE_LOADER_FORMAT_TABLE_H
