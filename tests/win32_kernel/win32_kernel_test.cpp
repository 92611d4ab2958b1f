// Win32 kernel functions over POSIX: mapping files (also empty and missing
// ones), error codes and their text, the registry and profile stand-ins,
// processor features and version, debugger output.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// A file with the given bytes in the test's temporary directory, removed
// at the end of the test.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& bytes) {
        char pattern[] = "/tmp/zelvaro_kernel_XXXXXX";
        const int descriptor = mkstemp(pattern);
        EXPECT_GE(descriptor, 0);
        path = pattern;
        if (!bytes.empty()) {
            EXPECT_EQ(write(descriptor, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        }
        close(descriptor);
    }
    ~TemporaryFile() { unlink(path.c_str()); }
    std::string path;
};

HANDLE openForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string systemText(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0) return "";
    std::string result(text, length);
    LocalFree(text);
    return result;
}

// ---------------------------------------------------------------- files and mapping

TEST(Win32KernelFiles, MapsAWholeFileReadOnly) {
    const std::string bytes = "BM\x10\x00 the image bytes " + std::string(5000, 'x');
    TemporaryFile file(bytes);

    HANDLE handle = openForReading(file.path);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(handle, &high), DWORD(bytes.size()));
    EXPECT_EQ(high, 0u);

    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, bytes.data(), bytes.size()), 0);

    // the view outlives the handles, as the loader relies on
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(static_cast<const char*>(view)[bytes.size() - 1], 'x');
    EXPECT_TRUE(UnmapViewOfFile(view));
}

TEST(Win32KernelFiles, EmptyFileOpensButCannotBeMapped) {
    TemporaryFile file("");
    HANDLE handle = openForReading(file.path);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(handle, nullptr), 0u);

    EXPECT_EQ(CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_INVALID));
    EXPECT_FALSE(systemText(GetLastError()).empty());
    EXPECT_TRUE(CloseHandle(handle));
}

TEST(Win32KernelFiles, MissingFileFailsWithFileNotFound) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(openForReading("/nonexistent/zelvaro/tex/missing.jpg"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(openForReading("/tmp/zelvaro_no_such_file.tga"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Win32KernelFiles, DirectoriesAndWritingAreRefused) {
    EXPECT_EQ(openForReading("/tmp"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

    TemporaryFile file("data");
    EXPECT_EQ(CreateFileA(file.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(Win32KernelFiles, StaleAndMadeUpHandlesAreTurnedAway) {
    TemporaryFile file("data");
    HANDLE handle = openForReading(file.path);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(handle));

    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(handle, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(MapViewOfFile(INVALID_HANDLE_VALUE, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(CloseHandle(nullptr));

    int notAView = 0;
    EXPECT_FALSE(UnmapViewOfFile(&notAView));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(Win32KernelFiles, MappingNoLargerThanTheFile) {
    TemporaryFile file("0123456789");
    HANDLE handle = openForReading(file.path);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 11, nullptr), nullptr);

    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 4, nullptr);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 5), nullptr);
    const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(view, 4), "0123");
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    CloseHandle(mapping);
    CloseHandle(handle);
}

// ---------------------------------------------------------------- errors

TEST(Win32KernelErrors, LastErrorBelongsToTheThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
}

TEST(Win32KernelErrors, FormatMessageGivesTheSystemText) {
    EXPECT_EQ(systemText(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(systemText(ERROR_ACCESS_DENIED), "Access is denied.\r\n");

    char buffer[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_HANDLE, 0, buffer,
                             sizeof buffer, nullptr),
              DWORD(std::strlen("The handle is invalid.\r\n")));
    EXPECT_STREQ(buffer, "The handle is invalid.\r\n");

    char small[8];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_HANDLE, 0, small,
                             sizeof small, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

    EXPECT_EQ(systemText(123456), "");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MR_MID_NOT_FOUND));
}

// ---------------------------------------------------------------- registry and profile

class Win32KernelSettings : public testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
        unsetenv("ZELVARO_REG_DisableMMX");
        unsetenv("ZELVARO_PROFILE_Direct3D_debug");
        unsetenv("ZELVARO_DEBUG_OUTPUT");
    }

    // The DWORD "DisableMMX" the way the loader reads it.
    static LONG readDisableMmx(DWORD* type, DWORD* value, DWORD* size) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, KEY_READ,
                                &key),
                  ERROR_SUCCESS);
        const LONG result =
            RegQueryValueExA(key, "DisableMMX", nullptr, type, reinterpret_cast<BYTE*>(value), size);
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        return result;
    }
};

TEST_F(Win32KernelSettings, RegistryValuesAreAbsentByDefault) {
    DWORD type = 77, value = 77, size = sizeof value;
    EXPECT_EQ(readDisableMmx(&type, &value, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 77u);
}

TEST_F(Win32KernelSettings, NumbersReadAsDwordValues) {
    setenv("ZELVARO_REG_DisableMMX", "1", 1);
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(readDisableMmx(&type, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(size, 4u);

    setenv("ZELVARO_REG_DisableMMX", "0x10", 1);
    size = sizeof value;
    EXPECT_EQ(readDisableMmx(&type, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 16u);

    // a buffer too small is told the size it needs
    DWORD tooSmall = 0;
    size = 2;
    EXPECT_EQ(readDisableMmx(&type, &tooSmall, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
}

TEST_F(Win32KernelSettings, OtherTextReadsAsAString) {
    setenv("ZELVARO_REG_DisableMMX", "yes", 1);
    DWORD type = 0;
    char text[16] = {};
    DWORD size = sizeof text;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(text, "yes");
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(Win32KernelSettings, ProfileIntegersFallBackToTheDefault) {
    EXPECT_EQ(GetProfileIntA("Direct3D", "debug", 0), 0u);
    EXPECT_EQ(GetProfileIntA("Direct3D", "debug", 5), 5u);
    setenv("ZELVARO_PROFILE_Direct3D_debug", "3", 1);
    EXPECT_EQ(GetProfileIntA("Direct3D", "debug", 0), 3u);
    setenv("ZELVARO_PROFILE_Direct3D_debug", "none", 1);
    EXPECT_EQ(GetProfileIntA("Direct3D", "debug", 7), 0u);
}

TEST_F(Win32KernelSettings, DebugOutputGoesToStandardErrorOnlyWhenAsked) {
    CaptureStderr();
    OutputDebugStringA("hidden\r\n");
    EXPECT_EQ(GetCapturedStderr(), "");

    setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);
    CaptureStderr();
    OutputDebugStringA("D3DX: shown\r\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(GetCapturedStderr(), "D3DX: shown\r\n");
}

// ---------------------------------------------------------------- processor, version, time

TEST(Win32KernelSystem, ReportsAnNtSystem) {
    OSVERSIONINFOA version = {};
    EXPECT_FALSE(GetVersionExA(&version));  // the size field must be filled in
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(version.dwMajorVersion, 5u);
    EXPECT_EQ(version.dwMinorVersion, 1u);
    EXPECT_EQ(version.dwBuildNumber, 2600u);
}

TEST(Win32KernelSystem, ProcessorFeaturesFollowTheProcessor) {
#if defined(__x86_64__)
    // every x86-64 processor has MMX, SSE and SSE2
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
#elif !defined(__i386__)
    EXPECT_FALSE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
    EXPECT_FALSE(IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE));
#endif
    EXPECT_FALSE(IsProcessorFeaturePresent(12345));
}

}  // namespace
