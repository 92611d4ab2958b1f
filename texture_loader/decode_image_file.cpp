#include "d3dx8math.h"
#include "image_decoders.h"

HRESULT decodeImageFile(const BYTE* data, UINT size, DecodedImage* image) {
    typedef HRESULT (*Decoder)(const BYTE*, UINT, DecodedImage*);
    static const Decoder decoders[] = {decodeBmp, decodePpm, decodeDds, decodeJpg,
                                       decodePng, decodeTga, decodeDib};
    for (Decoder decoder : decoders) {
        image->reset();
        if (SUCCEEDED(decoder(data, size, image))) return S_OK;
    }
    image->reset();
    D3DXDebugReport(0, "Unsupported file format");
    return E_FAIL;
}
