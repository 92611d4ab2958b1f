// Little-endian field reads from a file's bytes; callers check the bounds.
#ifndef ZELVARO_TEXTURE_LOADER_BYTE_READER_H
#define ZELVARO_TEXTURE_LOADER_BYTE_READER_H

#include <windows.h>

inline WORD readWord(const BYTE* at) { return (WORD)(at[0] | (at[1] << 8)); }

inline DWORD readDword(const BYTE* at) {
    return (DWORD)at[0] | ((DWORD)at[1] << 8) | ((DWORD)at[2] << 16) | ((DWORD)at[3] << 24);
}

// Widens a 5-bit channel to 8 bits by repeating its top bits.
inline BYTE widen5(UINT v) { return (BYTE)((v << 3) | (v >> 2)); }

#endif  // ZELVARO_TEXTURE_LOADER_BYTE_READER_H
