// A colour channel described by a bit mask, as in bitmaps with BI_BITFIELDS
// and in DDS pixel formats: where the channel sits and its largest value.
#ifndef ZELVARO_TEXTURE_LOADER_CHANNEL_MASK_H
#define ZELVARO_TEXTURE_LOADER_CHANNEL_MASK_H

#include <windows.h>

class MaskChannel {
public:
    DWORD mask;
    UINT shift;
    DWORD maximum;  // 0 when the mask is empty

    explicit MaskChannel(DWORD channelMask) : mask(channelMask), shift(0), maximum(0) {
        if (!mask) return;
        while (!((mask >> shift) & 1)) shift++;
        maximum = mask >> shift;
    }
    // The channel of `pixel` scaled to 0..255; `absent` when there is no channel.
    BYTE read(DWORD pixel, BYTE absent) const {
        if (!maximum) return absent;
        unsigned long long v = (pixel & mask) >> shift;
        return (BYTE)((v * 255 + maximum / 2) / maximum);
    }
};

#endif  // ZELVARO_TEXTURE_LOADER_CHANNEL_MASK_H
