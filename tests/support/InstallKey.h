// The installation key as the tests write and read it: always in the registry
// view that the programs read (the 32-bit one), whatever the test's bitness.
#pragma once

#include "InstallLocation.h"

#include <windows.h>

namespace TestInstallKey
{

// The key opened with dwAccess, or null when it is missing.
inline HKEY Open(REGSAM dwAccess)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, Install::kRegistryKeyPath, 0, dwAccess | Install::kRegistryKeyView,
                        &hKey) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

// The key, created when missing, open for writing; null when that fails.
inline HKEY Create()
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, Install::kRegistryKeyPath, 0, nullptr, 0,
                          KEY_WRITE | KEY_QUERY_VALUE | Install::kRegistryKeyView, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

// Writes "Location" as a REG_SZ value; false when that fails.
inline bool WriteLocation(const std::string& strValue)
{
    const HKEY hKey = Create();
    if (!hKey)
        return false;
    const bool bWritten =
        ::RegSetValueExA(hKey, Install::kLocationValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                         static_cast<DWORD>(strValue.size() + 1)) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return bWritten;
}

// Removes the key (it has no subkeys).
inline void Delete()
{
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Install::kRegistryKeyPath, Install::kRegistryKeyView, 0);
}

} // namespace TestInstallKey
