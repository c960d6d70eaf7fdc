#include "InstallRegistry.h"

#include "InstallLocation.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

namespace Install
{

namespace
{

struct RegKeyCloser
{
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using RegKeyPtr = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

// Replaces the %name% references of a REG_EXPAND_SZ value with the variables'
// values; false when the system cannot expand it. The ANSI form wants room for
// one character more than the text and its NUL, and may ask for more than it
// then uses, so the text is taken up to its NUL.
bool ExpandReferences(const std::string& strValue, std::string& strExpanded)
{
    std::vector<char> buffer(strValue.size() + 2);
    for (;;)
    {
        const DWORD cchNeeded =
            ExpandEnvironmentStringsA(strValue.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (cchNeeded == 0)
            return false;
        if (cchNeeded < buffer.size())
        {
            const auto itEnd = std::find(buffer.begin(), buffer.end(), '\0');
            strExpanded.assign(buffer.begin(), itEnd);
            return true;
        }
        buffer.resize(std::size_t{cchNeeded} + 1);
    }
}

static_assert(kRegistryKeyView == KEY_WOW64_32KEY, "the installation key is read in the 32-bit view");

} // namespace

LocationReadStatus ReadInstallLocation(std::string& strLocation)
{
    strLocation.clear();

    HKEY hRawKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKeyPath, 0, KEY_READ | kRegistryKeyView, &hRawKey) != ERROR_SUCCESS)
        return LocationReadStatus::kKeyMissing;
    const RegKeyPtr key(hRawKey);

    char szValue[kLocationBufferBytes];
    DWORD dwType = 0;
    DWORD cbValue = sizeof szValue;
    // ERROR_MORE_DATA (500 bytes or more) counts as unreadable, like any other failure.
    if (RegQueryValueExA(key.get(), kLocationValueName, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue),
                         &cbValue) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return LocationReadStatus::kValueMissing;

    // The stored data need not end with a terminator: take the text up to the first
    // NUL within what was read. A full buffer without one is a 500-character value.
    std::size_t nLength = 0;
    while (nLength < cbValue && szValue[nLength] != '\0')
        ++nLength;
    if (nLength == sizeof szValue)
        return LocationReadStatus::kValueMissing;

    std::string strValue(szValue, nLength);
    if (dwType == REG_EXPAND_SZ)
    {
        std::string strExpanded;
        if (!ExpandReferences(strValue, strExpanded))
            return LocationReadStatus::kValueMissing;
        strValue.swap(strExpanded);
    }
    if (strValue.empty())
        return LocationReadStatus::kEmptyValue;

    strLocation.swap(strValue);
    return LocationReadStatus::kOk;
}

} // namespace Install
