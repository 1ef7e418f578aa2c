// Pictures on Windows: the Pictures known folder's Quasarine folder, each file created new.
#include "platform/picture_file.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr size_t pathCapacity = MAX_PATH * 2;
constexpr int mostNames = 1000;

bool quasarineFolder(wchar_t* folder, size_t capacity)
{
    PWSTR pictures = nullptr;
    const bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &pictures));
    const int written = found ? std::swprintf(folder, capacity, L"%ls\\Quasarine", pictures) : -1;
    CoTaskMemFree(pictures);
    if (written <= 0 || size_t(written) >= capacity) return false;
    return CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Creates the first free name of the stem's series; INVALID_HANDLE_VALUE when none can be made.
HANDLE createNewFile(const wchar_t* folder, const char* stem, wchar_t* path, char* name, size_t nameCapacity)
{
    for (int number = 1; number <= mostNames; ++number) {
        const int named = number == 1 ? std::snprintf(name, nameCapacity, "%s.png", stem)
                                      : std::snprintf(name, nameCapacity, "%s-%d.png", stem, number);
        // The stem is ASCII, so its characters widen one by one.
        const int pathed = std::swprintf(path, pathCapacity, L"%ls\\%hs", folder, name);
        if (named <= 0 || size_t(named) >= nameCapacity || pathed <= 0 || size_t(pathed) >= pathCapacity) break;
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeWhole(HANDLE file, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace

bool savePictureFile(const char* stem, const uint8_t* data, size_t size, char* name, size_t nameCapacity)
{
    wchar_t folder[pathCapacity];
    wchar_t path[pathCapacity];
    if (!quasarineFolder(folder, pathCapacity)) return false;
    HANDLE file = createNewFile(folder, stem, path, name, nameCapacity);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = writeWhole(file, data, size);
    if (CloseHandle(file) && written) return true;
    DeleteFileW(path);
    return false;
}
