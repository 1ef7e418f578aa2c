// The five registry operations that the driver-timeout guard needs, on the graphics-driver key.
// Windows builds talk to the real registry; elsewhere the key is simply unavailable.
#pragma once
#include <cstdint>

using RegistryKey = void*;

// Opens HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\GraphicsDrivers with full access.
bool registryOpenKey(RegistryKey* key);
// Reads a REG_DWORD value of exactly 4 bytes.
bool registryReadDword(RegistryKey key, const char* name, uint32_t* value);
bool registryWriteDword(RegistryKey key, const char* name, uint32_t value);
bool registryDeleteValue(RegistryKey key, const char* name);
void registryCloseKey(RegistryKey key);
