// Registry layer for systems without a Windows registry: the key can never be opened.
#include "app/registry.h"

bool registryOpenKey(RegistryKey* key)
{
    *key = nullptr;
    return false;
}

bool registryReadDword(RegistryKey, const char*, uint32_t*)
{
    return false;
}

bool registryWriteDword(RegistryKey, const char*, uint32_t)
{
    return false;
}

bool registryDeleteValue(RegistryKey, const char*)
{
    return false;
}

void registryCloseKey(RegistryKey)
{
}
