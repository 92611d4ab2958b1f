// Win32 kernel functions over POSIX: files and read-only file mapping, the
// thread's last error and its message text, registry and profile reads,
// processor features, the system version, debugger output, the tick count
// and Sleep.
//
// Stand-ins, read from the environment at every call:
//
//   ZELVARO_REG_<ValueName>          a registry value, under whatever key is
//                                    opened (every key opens). A number
//                                    (decimal, or hexadecimal with 0x) reads as
//                                    REG_DWORD, any other text as REG_SZ; an
//                                    unset variable is a missing value.
//                                    e.g. ZELVARO_REG_DisableD3DXPSGP=1
//   ZELVARO_PROFILE_<Section>_<Key>  a profile entry for GetProfileIntA,
//                                    e.g. ZELVARO_PROFILE_Direct3D_debug=3
//   ZELVARO_DEBUG_OUTPUT             when set (to anything), OutputDebugStringA
//                                    writes to standard error; else it writes
//                                    nothing.
//
// Files open for reading only (OPEN_EXISTING). A mapping covers the whole
// file, or its first bytes; an empty file cannot be mapped
// (ERROR_FILE_INVALID), as on Windows. Handles are checked: a stale or made-up
// handle fails with ERROR_INVALID_HANDLE instead of touching memory.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

// ---------------------------------------------------------------- last error

thread_local DWORD win32LastError = ERROR_SUCCESS;

DWORD win32ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

// ---------------------------------------------------------------- kernel objects

enum class Win32ObjectKind { file, mapping, registryKey };

struct Win32KernelObject {
    Win32ObjectKind kind;
    int descriptor;      // owned and closed with the object; -1 for registry keys
    uint64_t byteCount;  // the file's size, or the mapping's
};

// Every live handle and every mapped view, so that stale and made-up ones
// are turned away.
struct Win32KernelObjects {
    std::mutex lock;
    std::unordered_map<const void*, std::unique_ptr<Win32KernelObject>> handles;
    std::map<const void*, size_t> views;  // address -> length
};

Win32KernelObjects& kernelObjects() {
    static Win32KernelObjects* objects = new Win32KernelObjects();  // lives until exit
    return *objects;
}

HANDLE win32AddObject(Win32ObjectKind kind, int descriptor, uint64_t byteCount) {
    auto object = std::make_unique<Win32KernelObject>(Win32KernelObject{kind, descriptor, byteCount});
    HANDLE handle = object.get();
    Win32KernelObjects& objects = kernelObjects();
    std::lock_guard<std::mutex> guard(objects.lock);
    objects.handles.emplace(handle, std::move(object));
    return handle;
}

// The descriptor and size behind a live handle of the given kind.
bool win32FindObject(HANDLE handle, Win32ObjectKind kind, Win32KernelObject* found) {
    Win32KernelObjects& objects = kernelObjects();
    std::lock_guard<std::mutex> guard(objects.lock);
    auto entry = objects.handles.find(handle);
    if (entry == objects.handles.end() || entry->second->kind != kind) return false;
    *found = *entry->second;
    return true;
}

// ---------------------------------------------------------------- messages

struct Win32Message {
    DWORD id;
    const char* text;
};

const Win32Message win32Messages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_MR_MID_NOT_FOUND, "The system cannot find message text for the message number."},
    {ERROR_FILE_INVALID, "The file is empty or no longer valid and cannot be mapped."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_DEVICE_NOT_CONNECTED, "No display is available."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class."},
    {ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
};

const char* win32MessageText(DWORD id) {
    for (const Win32Message& message : win32Messages)
        if (message.id == id) return message.text;
    return nullptr;
}

// ---------------------------------------------------------------- registry and profile

// Registry keys carry nothing: every value is looked up by its name alone.
bool win32IsRootKey(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

// The predefined roots and the keys from RegOpenKeyExA.
bool win32IsRegistryKey(HKEY key) {
    Win32KernelObject object;
    return win32IsRootKey(key) || win32FindObject(key, Win32ObjectKind::registryKey, &object);
}

const char* win32EnvironmentValue(const std::string& name) { return std::getenv(name.c_str()); }

// Environment variable names carry letters, digits and '_' only.
std::string win32EnvironmentName(const char* prefix, const char* part) {
    std::string name(prefix);
    for (const char* c = part; *c != '\0'; ++c) {
        const bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') ||
                           (*c >= '0' && *c <= '9') || *c == '_';
        name += plain ? *c : '_';
    }
    return name;
}

// A whole decimal or 0x-hexadecimal number that fits 32 bits.
bool win32ParseDword(const char* text, DWORD* value) {
    if (*text == '\0' || *text == '-' || *text == '+' || *text == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull) return false;
    *value = DWORD(parsed);
    return true;
}

// ---------------------------------------------------------------- processor

struct Win32Cpuid {
    unsigned int eax, ebx, ecx, edx;
};

bool win32Cpuid(unsigned int leaf, Win32Cpuid* result) {
#if defined(__x86_64__) || defined(__i386__)
    return __get_cpuid(leaf, &result->eax, &result->ebx, &result->ecx, &result->edx) != 0;
#else
    (void)leaf;
    (void)result;
    return false;
#endif
}

bool win32CpuidEdxBit(unsigned int leaf, int bit) {
    Win32Cpuid registers = {0, 0, 0, 0};
    if (!win32Cpuid(leaf, &registers)) return false;
    return ((registers.edx >> bit) & 1u) != 0;
}

}  // namespace

// ---------------------------------------------------------------- errors

DWORD WINAPI GetLastError(void) { return win32LastError; }

void WINAPI SetLastError(DWORD error) { win32LastError = error; }

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                            void*) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* text = win32MessageText(messageId);
    if (text == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    // system messages end with a line break, as on Windows
    const std::string message = std::string(text) + "\r\n";
    const DWORD length = DWORD(message.size());

    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        // `buffer` is where the address of the new text goes; LocalFree frees it
        const size_t capacity = length + 1 > size ? length + 1 : size;
        char* allocated = static_cast<char*>(std::malloc(capacity));
        if (allocated == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(allocated, message.c_str(), length + 1);
        std::memcpy(buffer, &allocated, sizeof allocated);
        return length;
    }
    if (size < length + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, message.c_str(), length + 1);
    return length;
}

void* WINAPI LocalFree(void* memory) {
    std::free(memory);
    return nullptr;
}

// ---------------------------------------------------------------- files and mapping

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPVOID, DWORD creation, DWORD,
                          HANDLE) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // read access to existing files is all this layer offers
    if (creation != OPEN_EXISTING || (access & GENERIC_WRITE) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int descriptor = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        ::close(descriptor);
        return INVALID_HANDLE_VALUE;
    }
    if (!S_ISREG(status.st_mode)) {
        // directories and devices are not files to read
        ::close(descriptor);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return win32AddObject(Win32ObjectKind::file, descriptor, uint64_t(status.st_size));
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    Win32KernelObject object;
    if (!win32FindObject(file, Win32ObjectKind::file, &object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    struct stat status;
    const uint64_t size =
        ::fstat(object.descriptor, &status) == 0 ? uint64_t(status.st_size) : object.byteCount;
    if (fileSizeHigh != nullptr) *fileSizeHigh = DWORD(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return DWORD(size & 0xFFFFFFFFu);
}

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPVOID, DWORD protect, DWORD maxSizeHigh,
                                 DWORD maxSizeLow, LPCSTR) {
    Win32KernelObject object;
    if (!win32FindObject(file, Win32ObjectKind::file, &object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (protect != PAGE_READONLY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    struct stat status;
    if (::fstat(object.descriptor, &status) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return nullptr;
    }
    const uint64_t fileSize = uint64_t(status.st_size);
    const uint64_t requested = (uint64_t(maxSizeHigh) << 32) | maxSizeLow;
    if (requested > fileSize) {
        // a read-only mapping cannot grow the file
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const uint64_t mappingSize = requested != 0 ? requested : fileSize;
    if (mappingSize == 0) {
        SetLastError(ERROR_FILE_INVALID);
        return nullptr;
    }
    const int descriptor = ::fcntl(object.descriptor, F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return win32AddObject(Win32ObjectKind::mapping, descriptor, mappingSize);
}

LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytes) {
    Win32KernelObject object;
    if (!win32FindObject(mapping, Win32ObjectKind::mapping, &object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const uint64_t offset = (uint64_t(offsetHigh) << 32) | offsetLow;
    const uint64_t pageSize = uint64_t(::sysconf(_SC_PAGESIZE));
    if (access != FILE_MAP_READ || offset % pageSize != 0 || offset >= object.byteCount ||
        bytes > object.byteCount - offset) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const size_t length = size_t(bytes != 0 ? bytes : object.byteCount - offset);
    void* view = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, object.descriptor, off_t(offset));
    if (view == MAP_FAILED) {
        SetLastError(win32ErrorFromErrno(errno));
        return nullptr;
    }
    Win32KernelObjects& objects = kernelObjects();
    {
        std::lock_guard<std::mutex> guard(objects.lock);
        objects.views[view] = length;
    }
    SetLastError(ERROR_SUCCESS);
    return view;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
    Win32KernelObjects& objects = kernelObjects();
    size_t length = 0;
    {
        std::lock_guard<std::mutex> guard(objects.lock);
        auto view = objects.views.find(address);
        if (view == objects.views.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        length = view->second;
        objects.views.erase(view);
    }
    ::munmap(const_cast<void*>(address), length);
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    std::unique_ptr<Win32KernelObject> closed;
    Win32KernelObjects& objects = kernelObjects();
    {
        std::lock_guard<std::mutex> guard(objects.lock);
        auto entry = objects.handles.find(object);
        if (entry == objects.handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closed = std::move(entry->second);
        objects.handles.erase(entry);
    }
    // views of a mapping stay valid after its handle is closed, as on Windows
    if (closed->descriptor >= 0) ::close(closed->descriptor);
    return TRUE;
}

// ---------------------------------------------------------------- registry and profile

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr || !win32IsRegistryKey(key)) return ERROR_INVALID_PARAMETER;
    *result = static_cast<HKEY>(win32AddObject(Win32ObjectKind::registryKey, -1, 0));
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
    if (!win32IsRegistryKey(key) || reserved != nullptr || (data != nullptr && dataSize == nullptr))
        return ERROR_INVALID_PARAMETER;
    const char* text = win32EnvironmentValue(
        win32EnvironmentName("ZELVARO_REG_", valueName != nullptr ? valueName : ""));
    if (text == nullptr) return ERROR_FILE_NOT_FOUND;

    DWORD number = 0;
    const bool isDword = win32ParseDword(text, &number);
    const DWORD valueSize = isDword ? DWORD(sizeof number) : DWORD(std::strlen(text) + 1);
    if (type != nullptr) *type = isDword ? REG_DWORD : REG_SZ;
    if (data == nullptr) {
        if (dataSize != nullptr) *dataSize = valueSize;
        return ERROR_SUCCESS;
    }
    if (*dataSize < valueSize) {
        *dataSize = valueSize;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, isDword ? static_cast<const void*>(&number) : static_cast<const void*>(text),
                valueSize);
    *dataSize = valueSize;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (win32IsRootKey(key)) return ERROR_SUCCESS;
    if (!win32IsRegistryKey(key)) return ERROR_INVALID_HANDLE;
    CloseHandle(key);
    return ERROR_SUCCESS;
}

UINT WINAPI GetProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue) {
    if (appName == nullptr || keyName == nullptr) return UINT(defaultValue);
    const std::string section = win32EnvironmentName("ZELVARO_PROFILE_", appName);
    const char* text = win32EnvironmentValue(win32EnvironmentName((section + "_").c_str(), keyName));
    if (text == nullptr) return UINT(defaultValue);
    // the leading digits count, as in a profile file; text without any is 0
    errno = 0;
    const long long parsed = std::strtoll(text, nullptr, 10);
    if (errno != 0) return 0;
    return UINT(parsed);
}

// ---------------------------------------------------------------- processor and version

BOOL WINAPI IsProcessorFeaturePresent(DWORD feature) {
    switch (feature) {
        case PF_MMX_INSTRUCTIONS_AVAILABLE:
            return win32CpuidEdxBit(1, 23);
        case PF_XMMI_INSTRUCTIONS_AVAILABLE:
            return win32CpuidEdxBit(1, 25);
        case PF_XMMI64_INSTRUCTIONS_AVAILABLE:
            return win32CpuidEdxBit(1, 26);
        case PF_3DNOW_INSTRUCTIONS_AVAILABLE:
            // __get_cpuid fails for an extended leaf the processor does not have
            return win32CpuidEdxBit(0x80000001u, 31);
        default:
            return FALSE;
    }
}

BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // an NT system: it saves the SSE registers and answers the feature queries
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

// ---------------------------------------------------------------- debugger output and time

void WINAPI OutputDebugStringA(LPCSTR text) {
    if (text == nullptr || std::getenv("ZELVARO_DEBUG_OUTPUT") == nullptr) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

DWORD WINAPI GetTickCount(void) {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    return DWORD(milliseconds & 0xFFFFFFFFu);
}

void WINAPI Sleep(DWORD milliseconds) {
    timespec remaining;
    remaining.tv_sec = time_t(milliseconds / 1000u);
    remaining.tv_nsec = long(milliseconds % 1000u) * 1000000L;
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
