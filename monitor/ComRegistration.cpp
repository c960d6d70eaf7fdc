#include "ComRegistration.h"

#include "AppMonIds.h"
#include "FileIdentity.h"

#include <windows.h>
#include <objbase.h>

namespace
{

bool IsAnyMonitorRegistered()
{
    wchar_t szClsid[40] = L"";
    if (!::StringFromGUID2(CLSID_AppMon, szClsid, 40))
        return false;
    const std::wstring strKey = std::wstring(L"CLSID\\") + szClsid + L"\\LocalServer32";
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

} // namespace

bool MayRegisterWithCom(bool bRegistrationRun, const std::string& strInstalledProgram)
{
    if (bRegistrationRun || !IsAnyMonitorRegistered())
        return true;
    char szProgram[MAX_PATH] = "";
    const DWORD cch = ::GetModuleFileNameA(nullptr, szProgram, MAX_PATH);
    return cch > 0 && cch < MAX_PATH && !strInstalledProgram.empty() &&
           Install::IsSameFile(szProgram, strInstalledProgram.c_str());
}
