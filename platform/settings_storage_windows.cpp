// The settings file under %APPDATA%\Quasarine, read and replaced with the Windows file API.
#include "platform/settings_storage.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr size_t pathCapacity = MAX_PATH * 2;

bool settingsFolder(wchar_t* folder, size_t capacity)
{
    wchar_t appData[pathCapacity];
    const DWORD found = GetEnvironmentVariableW(L"APPDATA", appData, DWORD(pathCapacity));
    if (found == 0 || found >= pathCapacity) return false;
    const int written = std::swprintf(folder, capacity, L"%ls\\Quasarine", appData);
    return written > 0 && size_t(written) < capacity;
}

bool settingsPath(wchar_t* path, size_t capacity, const wchar_t* name)
{
    wchar_t folder[pathCapacity];
    if (!settingsFolder(folder, pathCapacity)) return false;
    const int written = std::swprintf(path, capacity, L"%ls\\%ls", folder, name);
    return written > 0 && size_t(written) < capacity;
}

bool writeAll(HANDLE file, const char* text, size_t length)
{
    DWORD written = 0;
    return WriteFile(file, text, DWORD(length), &written, nullptr) && written == length &&
           FlushFileBuffers(file);
}

}  // namespace

bool readSettingsFile(char* text, size_t capacity, size_t& length)
{
    wchar_t path[pathCapacity];
    if (!settingsPath(path, pathCapacity, L"settings")) return false;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    DWORD got = 0;
    const bool usable = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
                        size_t(size.QuadPart) <= capacity &&
                        ReadFile(file, text, DWORD(size.QuadPart), &got, nullptr) && got == size.QuadPart;
    CloseHandle(file);
    length = usable ? size_t(got) : 0;
    return usable;
}

bool writeSettingsFile(const char* text, size_t length)
{
    wchar_t folder[pathCapacity];
    wchar_t path[pathCapacity];
    wchar_t fresh[pathCapacity];
    if (!settingsFolder(folder, pathCapacity) || !settingsPath(path, pathCapacity, L"settings") ||
        !settingsPath(fresh, pathCapacity, L"settings.new")) {
        return false;
    }
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    HANDLE file = CreateFileW(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool complete = writeAll(file, text, length);
    CloseHandle(file);
    if (complete && MoveFileExW(fresh, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(fresh);
    return false;
}
