#include "InstallRegistry.h"

#include "InstallLocation.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace Install
{

namespace
{

struct RegKeyCloser
{
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using RegKeyPtr = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

} // namespace

LocationReadStatus ReadInstallLocation(std::string& strLocation)
{
    strLocation.clear();

    HKEY hRawKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKeyPath, 0, KEY_READ, &hRawKey) != ERROR_SUCCESS)
        return LocationReadStatus::kKeyMissing;
    const RegKeyPtr key(hRawKey);

    char szValue[kLocationBufferBytes];
    DWORD dwType = 0;
    DWORD cbValue = sizeof szValue;
    // ERROR_MORE_DATA (500 bytes or more) counts as unreadable, like any other failure.
    if (RegQueryValueExA(key.get(), kLocationValueName, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue),
                         &cbValue) != ERROR_SUCCESS ||
        dwType != REG_SZ)
        return LocationReadStatus::kValueMissing;

    // The stored data need not end with a terminator: take the text up to the first
    // NUL within what was read. A full buffer without one is a 500-character value.
    std::size_t nLength = 0;
    while (nLength < cbValue && szValue[nLength] != '\0')
        ++nLength;
    if (nLength == sizeof szValue)
        return LocationReadStatus::kValueMissing;
    if (nLength == 0)
        return LocationReadStatus::kEmptyValue;

    strLocation.assign(szValue, nLength);
    return LocationReadStatus::kOk;
}

} // namespace Install
