#include "format_table.h"

#include "decoded_image.h"

namespace {

const FormatClass C = formatClassColour;
const FormatClass P = formatClassPalette;
const FormatClass L = formatClassLuminance;
const FormatClass B = formatClassBump;
const FormatClass D = formatClassDepth;

const FormatDescriptor emptyDescriptor = {D3DFMT_UNKNOWN, C, 32, 0, 8, 8, 8, 8, false};

// Cost of storing `wanted` in `row`; false when the row keeps none of the
// channels that `wanted` has.
bool substitutionCost(const FormatDescriptor& wanted, const FormatDescriptor& row,
                      unsigned long long* cost) {
    const UINT want[5] = {wanted.c0, wanted.alpha, wanted.red, wanted.green, wanted.blue};
    const UINT have[5] = {row.c0, row.alpha, row.red, row.green, row.blue};
    unsigned long long total = 0;
    bool keepsSomething = false;
    bool wantsSomething = false;
    for (int i = 0; i < 5; i++) {
        if (want[i]) wantsSomething = true;
        if (want[i] && have[i]) keepsSomething = true;
        if (want[i] < have[i]) {
            total += want[i] ? have[i] - want[i] : 256;
        } else if (want[i] > have[i]) {
            total += have[i] ? (unsigned long long)(want[i] - have[i]) * 65536 : 16777216;
        }
    }
    *cost = total;
    return keepsSomething || !wantsSomething;
}

// True when the device accepts `format` for textures in its display mode.
class DeviceFormatCheck {
public:
    IDirect3D8* direct3D;
    D3DDEVICE_CREATION_PARAMETERS creation;
    D3DDISPLAYMODE mode;

    explicit DeviceFormatCheck(IDirect3DDevice8* device) : direct3D(nullptr) {
        if (FAILED(device->GetDirect3D(&direct3D))) direct3D = nullptr;
        if (FAILED(device->GetCreationParameters(&creation))) {
            creation.AdapterOrdinal = D3DADAPTER_DEFAULT;
            creation.DeviceType = D3DDEVTYPE_HAL;
        }
        if (FAILED(device->GetDisplayMode(&mode))) mode.Format = D3DFMT_X8R8G8B8;
    }
    ~DeviceFormatCheck() {
        if (direct3D) direct3D->Release();
    }
    bool accepts(D3DFORMAT format, DWORD usage, D3DRESOURCETYPE resourceType) const {
        if (!direct3D) return false;
        return SUCCEEDED(direct3D->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType,
                                                     mode.Format, usage, resourceType, format));
    }
};

D3DFORMAT closest(const FormatDescriptor& wanted, const DeviceFormatCheck* check, DWORD usage,
                  D3DRESOURCETYPE resourceType) {
    const FormatDescriptor* best = nullptr;
    unsigned long long bestCost = 0;
    for (const FormatDescriptor& row : formatTable) {
        if (check && !check->accepts(row.format, usage, resourceType)) continue;
        if (row.format == wanted.format) return row.format;
        if (!row.substitute || !classesCompatible(wanted.formatClass, row.formatClass)) continue;
        unsigned long long cost;
        if (!substitutionCost(wanted, row, &cost)) continue;
        if (!best || cost < bestCost || (cost == bestCost && row.bits < best->bits)) {
            best = &row;
            bestCost = cost;
        }
    }
    return best ? best->format : D3DFMT_UNKNOWN;
}

}  // namespace

const FormatDescriptor formatTable[formatTableSize] = {
    {D3DFMT_R8G8B8, C, 24, 0, 0, 8, 8, 8, false},
    {D3DFMT_A8R8G8B8, C, 32, 0, 8, 8, 8, 8, true},
    {D3DFMT_X8R8G8B8, C, 32, 0, 0, 8, 8, 8, true},
    {D3DFMT_R5G6B5, C, 16, 0, 0, 5, 6, 5, true},
    {D3DFMT_X1R5G5B5, C, 16, 0, 0, 5, 5, 5, true},
    {D3DFMT_A1R5G5B5, C, 16, 0, 1, 5, 5, 5, true},
    {D3DFMT_A4R4G4B4, C, 16, 0, 4, 4, 4, 4, true},
    {D3DFMT_R3G3B2, C, 8, 0, 0, 3, 3, 2, true},
    {D3DFMT_A8, C, 8, 0, 8, 0, 0, 0, true},
    {D3DFMT_A8R3G3B2, C, 16, 0, 8, 3, 3, 2, true},
    {D3DFMT_X4R4G4B4, C, 16, 0, 0, 4, 4, 4, true},
    {D3DFMT_A2B10G10R10, C, 32, 0, 2, 10, 10, 10, true},
    {D3DFMT_G16R16, C, 32, 0, 0, 16, 16, 0, true},
    {D3DFMT_A8P8, P, 16, 0, 8, 8, 8, 8, true},
    {D3DFMT_P8, P, 8, 0, 8, 8, 8, 8, true},
    {D3DFMT_L8, L, 8, 0, 0, 8, 8, 8, true},
    {D3DFMT_A8L8, L, 16, 0, 8, 8, 8, 8, true},
    {D3DFMT_A4L4, L, 8, 0, 4, 4, 4, 4, true},
    {D3DFMT_V8U8, B, 16, 0, 0, 8, 8, 0, true},
    {D3DFMT_L6V5U5, B, 16, 6, 0, 5, 5, 0, true},
    {D3DFMT_X8L8V8U8, B, 32, 8, 0, 8, 8, 0, true},
    {D3DFMT_Q8W8V8U8, B, 32, 0, 8, 8, 8, 8, true},
    {D3DFMT_V16U16, B, 32, 0, 0, 16, 16, 0, true},
    {D3DFMT_W11V11U10, B, 32, 0, 0, 10, 11, 11, true},
    {D3DFMT_A2W10V10U10, B, 32, 0, 2, 10, 10, 10, true},
    {D3DFMT_UYVY, C, 16, 0, 0, 8, 8, 8, false},
    {D3DFMT_YUY2, C, 16, 0, 0, 8, 8, 8, false},
    {D3DFMT_DXT1, C, 16, 0, 1, 5, 6, 5, false},
    {D3DFMT_DXT2, C, 16, 0, 4, 5, 6, 5, false},
    {D3DFMT_DXT3, C, 16, 0, 4, 5, 6, 5, false},
    {D3DFMT_DXT4, C, 16, 0, 8, 5, 6, 5, false},
    {D3DFMT_DXT5, C, 16, 0, 8, 5, 6, 5, false},
    {D3DFMT_D16_LOCKABLE, D, 16, 1, 0, 0, 0, 16, true},
    {D3DFMT_D32, D, 32, 0, 0, 0, 0, 32, true},
    {D3DFMT_D15S1, D, 16, 0, 0, 0, 1, 15, true},
    {D3DFMT_D24S8, D, 32, 0, 0, 0, 8, 24, true},
    {D3DFMT_D16, D, 16, 0, 0, 0, 0, 16, true},
    {D3DFMT_D24X8, D, 32, 0, 0, 0, 0, 24, true},
    {D3DFMT_D24X4S4, D, 32, 0, 0, 0, 4, 24, true},
    {ZELVARO_FMT_L16, L, 16, 0, 0, 16, 16, 16, false},
    {ZELVARO_FMT_AL16, L, 32, 0, 16, 16, 16, 16, false},
    {ZELVARO_FMT_R16, C, 48, 0, 0, 16, 16, 16, false},
    {ZELVARO_FMT_AR16, C, 64, 0, 16, 16, 16, 16, false},
};

const FormatDescriptor* findFormatDescriptor(D3DFORMAT format) {
    for (const FormatDescriptor& row : formatTable)
        if (row.format == format) return &row;
    return &emptyDescriptor;
}

bool classesCompatible(FormatClass source, FormatClass target) {
    switch (source) {
    case formatClassColour: return target == formatClassColour;
    case formatClassPalette: return target == formatClassColour || target == formatClassPalette;
    case formatClassLuminance:
        return target == formatClassColour || target == formatClassLuminance;
    case formatClassBump: return target == formatClassBump;
    case formatClassDepth: return target == formatClassDepth;
    }
    return false;
}

D3DFORMAT findClosestDeviceFormat(IDirect3DDevice8* device, D3DFORMAT wanted, DWORD usage,
                                  D3DRESOURCETYPE resourceType) {
    FormatDescriptor target = *findFormatDescriptor(wanted);
    target.format = wanted;
    if (!device) return closest(target, nullptr, usage, resourceType);
    DeviceFormatCheck check(device);
    return closest(target, &check, usage, resourceType);
}

D3DFORMAT findClosestFormat(const FormatDescriptor& wanted) {
    return closest(wanted, nullptr, 0, D3DRTYPE_TEXTURE);
}
