#include "mapped_file.h"

#include "d3dx8math.h"

namespace {

// Reports the system's text for the last error.
void reportLastError() {
    DWORD error = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, (LPSTR)&text, 0, nullptr);
    if (length && text) {
        D3DXDebugReport(0, "%s", text);
        LocalFree(text);
    } else {
        D3DXDebugReport(0, "Error %u reading the file", (unsigned)error);
    }
}

}  // namespace

MappedFile::MappedFile() : file(INVALID_HANDLE_VALUE), mapping(nullptr), data(nullptr), size(0) {}

MappedFile::~MappedFile() { close(); }

HRESULT MappedFile::open(const char* fileName) {
    close();
    file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reportLastError();
        return E_FAIL;
    }
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        reportLastError();
        close();
        return E_FAIL;
    }
    if (high != 0) {  // over 4 GB: no image of ours is that large
        D3DXDebugReport(0, "%s", "File too large");
        close();
        return E_FAIL;
    }
    size = low;
    if (size == 0) return S_OK;  // nothing to map; no decoder accepts it
    mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        reportLastError();
        close();
        return E_FAIL;
    }
    data = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (!data) {
        reportLastError();
        close();
        return E_FAIL;
    }
    return S_OK;
}

void MappedFile::close() {
    if (data) UnmapViewOfFile(data);
    if (mapping) CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    data = nullptr;
    mapping = nullptr;
    file = INVALID_HANDLE_VALUE;
    size = 0;
}
