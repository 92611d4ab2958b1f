// An image file mapped read-only into memory through the Win32 file-mapping
// calls: the loader reads the file's bytes where they lie.
#ifndef ZELVARO_TEXTURE_LOADER_MAPPED_FILE_H
#define ZELVARO_TEXTURE_LOADER_MAPPED_FILE_H

#include <windows.h>

class MappedFile {
public:
    HANDLE file;
    HANDLE mapping;
    const BYTE* data;
    UINT size;

    MappedFile();
    ~MappedFile();
    // Opens an existing file for shared reading and maps all of it. On failure
    // the system's text for the error has been reported.
    HRESULT open(const char* fileName);
    void close();

private:
    MappedFile(const MappedFile&);
    MappedFile& operator=(const MappedFile&);
};

#endif  // ZELVARO_TEXTURE_LOADER_MAPPED_FILE_H
