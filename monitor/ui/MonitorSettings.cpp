#include "MonitorSettings.h"

#include <cstring>

namespace Settings
{
namespace
{

// A window smaller than this, or larger than any screen, is no saved placement.
constexpr LONG kMinWindowSide = 50;
constexpr LONG kMaxWindowSide = 32000;

bool ReadValue(const char* pszValue, DWORD dwType, void* pData, DWORD& cbData)
{
    DWORD dwFound = 0;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    const LONG lResult = ::RegQueryValueExA(hKey, pszValue, nullptr, &dwFound, static_cast<BYTE*>(pData), &cbData);
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS && dwFound == dwType;
}

void WriteValue(const char* pszValue, DWORD dwType, const void* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(hKey, pszValue, 0, dwType, static_cast<const BYTE*>(pData), cbData);
    ::RegCloseKey(hKey);
}

} // namespace

std::string ReadLogFile()
{
    char szPath[MAX_PATH + 1] = "";
    DWORD cb = sizeof(szPath) - 1; // room for a terminator the value may lack
    if (!ReadValue(kLogFile, REG_SZ, szPath, cb))
        return std::string();
    szPath[cb < sizeof(szPath) ? cb : sizeof(szPath) - 1] = '\0';
    return szPath;
}

void WriteLogFile(const char* pszPath)
{
    const char* pszValue = pszPath ? pszPath : "";
    WriteValue(kLogFile, REG_SZ, pszValue, static_cast<DWORD>(std::strlen(pszValue) + 1));
}

bool ReadPlacement(WINDOWPLACEMENT& placement)
{
    WINDOWPLACEMENT saved = {};
    DWORD cb = sizeof(saved);
    if (!ReadValue(kWindowPlacement, REG_BINARY, &saved, cb) || cb != sizeof(saved) ||
        saved.length != sizeof(saved))
        return false;
    const RECT& rc = saved.rcNormalPosition;
    const LONG cx = rc.right - rc.left;
    const LONG cy = rc.bottom - rc.top;
    if (cx < kMinWindowSide || cy < kMinWindowSide || cx > kMaxWindowSide || cy > kMaxWindowSide ||
        !::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL))
        return false;
    placement = saved;
    return true;
}

void WritePlacement(const WINDOWPLACEMENT& placement)
{
    WriteValue(kWindowPlacement, REG_BINARY, &placement, sizeof(placement));
}

bool ReadShown(const char* pszValue, bool bDefault)
{
    DWORD dwShown = 0;
    DWORD cb = sizeof(dwShown);
    if (!ReadValue(pszValue, REG_DWORD, &dwShown, cb) || cb != sizeof(dwShown) || dwShown > 1)
        return bDefault;
    return dwShown == 1;
}

void WriteShown(const char* pszValue, bool bShown)
{
    const DWORD dwShown = bShown ? 1 : 0;
    WriteValue(pszValue, REG_DWORD, &dwShown, sizeof(dwShown));
}

} // namespace Settings
