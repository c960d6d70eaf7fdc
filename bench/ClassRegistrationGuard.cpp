#include "ClassRegistrationGuard.h"

#include "AppMonIds.h"

#include <objbase.h>
#include <windows.h>

namespace Bench
{
namespace
{

std::string ClassKey()
{
    wchar_t szClsid[64] = L"";
    ::StringFromGUID2(CLSID_AppMon, szClsid, 64);
    char szKey[80] = "CLSID\\";
    ::WideCharToMultiByte(CP_ACP, 0, szClsid, -1, szKey + 6, sizeof(szKey) - 6, nullptr, nullptr);
    return szKey;
}

std::string ServerKey()
{
    return ClassKey() + "\\LocalServer32";
}

} // namespace

CClassRegistrationGuard::CClassRegistrationGuard()
{
    char szValue[MAX_PATH * 2] = "";
    LONG cb = sizeof(szValue);
    m_bWasRegistered =
        ::RegQueryValueA(HKEY_CLASSES_ROOT, ServerKey().c_str(), szValue, &cb) == ERROR_SUCCESS;
    if (m_bWasRegistered)
        m_strServerPath = szValue;
}

CClassRegistrationGuard::~CClassRegistrationGuard()
{
    if (!m_bWasRegistered)
    {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kAppMonProgID);
        return;
    }
    ::RegSetValueA(HKEY_CLASSES_ROOT, ServerKey().c_str(), REG_SZ, m_strServerPath.c_str(),
                   static_cast<DWORD>(m_strServerPath.size()));
}

} // namespace Bench
