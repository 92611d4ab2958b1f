// JPEG through libjpeg: grey images become L8, colour images X8R8G8B8.
// libjpeg's default error handler ends the process; ours reports the message
// and jumps back here, and the attempt fails.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "d3dx8math.h"
#include "direct3d_switches.h"
#include "image_decoders.h"

namespace {

// Progressive files can hold very many scans; beyond this the file is
// treated as hostile rather than decoded for minutes.
const int maxJpegScans = 1000;

struct JpegErrorHandler {
    jpeg_error_mgr base;  // first, so that libjpeg's pointer is also ours
    jmp_buf escape;
};

void jpegErrorExit(j_common_ptr info) {
    JpegErrorHandler* handler = reinterpret_cast<JpegErrorHandler*>(info->err);
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    D3DXDebugReport(0, "LoadJPG: %s", message);
    longjmp(handler->escape, 1);
}

// Warnings (corrupt data that libjpeg works around) are not reported.
void jpegOutputMessage(j_common_ptr) {}

void jpegProgress(j_common_ptr info) {
    j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (info->is_decompressor && decompress->input_scan_number > maxJpegScans) {
        info->err->msg_code = JERR_NOTIMPL;
        (*info->err->error_exit)(info);
    }
}

// The decoder's MMX path is libjpeg-turbo's SIMD code. It is used only when
// the processor reports MMX and the DWORD "DisableMMX" is absent or 0.
// libjpeg-turbo takes its own switch, JSIMD_FORCENONE, from the environment
// at its first call, so the choice is made once, before the first decode.
void chooseJpegSimd() {
    static bool chosen = false;
    if (chosen) return;
    chosen = true;
    DWORD disable = 0;
    HKEY key = nullptr;
    if (openDirect3DKey(&key)) {
        readDirect3DSwitch(key, "DisableMMX", &disable);
        RegCloseKey(key);
    }
    if (disable != 0 || !IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE))
        setenv("JSIMD_FORCENONE", "1", 1);
}

// Everything after the error return point: libjpeg errors jump out of here.
HRESULT readJpegImage(j_decompress_ptr info, UINT dataSize, DecodedImage* image) {
    jpeg_read_header(info, TRUE);
    D3DFORMAT format;
    UINT bytesPerPixel;
    if (info->num_components == 1) {
        info->out_color_space = JCS_GRAYSCALE;
        format = D3DFMT_L8;
        bytesPerPixel = 1;
    } else if (info->num_components == 3) {
#ifdef JCS_EXTENSIONS
        info->out_color_space = JCS_EXT_BGRX;
#else
        info->out_color_space = JCS_RGB;
#endif
        format = D3DFMT_X8R8G8B8;
        bytesPerPixel = 4;
    } else {
        return E_FAIL;  // CMYK and other layouts
    }
    jpeg_calc_output_dimensions(info);
    // Every 8 x 8 block costs at least one bit of DC data: a file far too
    // short for its size is refused before the image is allocated.
    unsigned long long blocks = ((unsigned long long)info->image_width + 7) / 8 * ((info->image_height + 7) / 8);
    if (blocks / 8 > dataSize) return E_FAIL;
    if (!imageSizeAcceptable(info->output_width, info->output_height) ||
        FAILED(image->allocate(info->output_width, info->output_height, format, bytesPerPixel)))
        return E_FAIL;
    image->fileFormat = D3DXIFF_JPG;
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        BYTE* row = image->pixels + (size_t)info->output_scanline * image->pitch;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(info, rows, 1) != 1) return E_FAIL;
#ifndef JCS_EXTENSIONS
        if (bytesPerPixel == 4) {
            // RGB triples widened in place to 0x00RRGGBB, from the right end.
            for (UINT x = image->width; x-- > 0;) {
                BYTE r = row[3 * x], g = row[3 * x + 1], b = row[3 * x + 2];
                row[4 * x] = b;
                row[4 * x + 1] = g;
                row[4 * x + 2] = r;
                row[4 * x + 3] = 0;
            }
        }
#endif
    }
    jpeg_finish_decompress(info);
    return S_OK;
}

}  // namespace

HRESULT decodeJpg(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return E_FAIL;
    chooseJpegSimd();

    jpeg_decompress_struct info;
    JpegErrorHandler handler;
    jpeg_progress_mgr progress;
    memset(&info, 0, sizeof(info));
    memset(&progress, 0, sizeof(progress));
    info.err = jpeg_std_error(&handler.base);
    handler.base.error_exit = jpegErrorExit;
    handler.base.output_message = jpegOutputMessage;
    progress.progress_monitor = jpegProgress;
    if (setjmp(handler.escape)) {
        jpeg_destroy_decompress(&info);
        return E_FAIL;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, const_cast<BYTE*>(data), size);
    HRESULT result = readJpegImage(&info, size, image);
    jpeg_destroy_decompress(&info);
    return result;
}
