// Registry layer on Windows: the graphics-driver key of the local machine.
#include "platform/registry.h"

#include <windows.h>

namespace {
const char* const graphicsDriversPath = "SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";
}

bool registryOpenKey(RegistryKey* key)
{
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, graphicsDriversPath, 0, KEY_ALL_ACCESS, &opened);
    *key = (result == ERROR_SUCCESS) ? static_cast<RegistryKey>(opened) : nullptr;
    return result == ERROR_SUCCESS;
}

bool registryReadDword(RegistryKey key, const char* name, uint32_t* value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    DWORD type = 0;
    LONG result = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &size);
    if (result != ERROR_SUCCESS || size != sizeof(data)) {
        return false;
    }
    *value = data;
    return true;
}

bool registryWriteDword(RegistryKey key, const char* name, uint32_t value)
{
    DWORD data = value;
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
}

bool registryDeleteValue(RegistryKey key, const char* name)
{
    return RegDeleteValueA(static_cast<HKEY>(key), name) == ERROR_SUCCESS;
}

void registryCloseKey(RegistryKey key)
{
    RegCloseKey(static_cast<HKEY>(key));
}
