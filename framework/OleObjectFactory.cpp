#include "OleObjectFactory.h"

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>

IMPLEMENT_DYNAMIC(COleObjectFactory, CCmdTarget)

BEGIN_INTERFACE_MAP(COleObjectFactory, CCmdTarget)
INTERFACE_PART(COleObjectFactory, IID_IClassFactory, ClassFactory)
END_INTERFACE_MAP()

COleObjectFactory* COleObjectFactory::s_pFirstFactory = nullptr;

namespace
{

struct RegKeyCloser
{
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using RegKeyPtr = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

// Sets the default value of HKCR\strSubKey, creating the key as needed.
bool SetClassesRootDefault(const std::string& strSubKey, const std::string& strValue)
{
    HKEY hRawKey = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, strSubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &hRawKey, nullptr) != ERROR_SUCCESS)
        return false;
    const RegKeyPtr key(hRawKey);
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                          static_cast<DWORD>(strValue.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteClassesRootTree(const std::string& strSubKey)
{
    const LSTATUS status = RegDeleteTreeA(HKEY_CLASSES_ROOT, strSubKey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", the registry's spelling of a class id.
std::string ClsidText(REFCLSID clsid)
{
    char szText[40];
    std::snprintf(szText, sizeof szText, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0],
                  clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5],
                  clsid.Data4[6], clsid.Data4[7]);
    return szText;
}

// The running program's full path, quoted when it holds a blank so that COM's
// command line (path + " -Embedding") names the program unambiguously.
bool LocalServerCommand(std::string& strCommand)
{
    char szPath[1024];
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    if (nLength == 0 || nLength >= sizeof szPath)
        return false;
    strCommand.assign(szPath, nLength);
    if (strCommand.find(' ') != std::string::npos)
        strCommand = "\"" + strCommand + "\"";
    return true;
}

} // namespace

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                                     LPCSTR lpszProgID)
    : m_clsid(clsid), m_pRuntimeClass(pRuntimeClass), m_bMultiInstance(bMultiInstance),
      m_lpszProgID(lpszProgID)
{
    m_pNextFactory = s_pFirstFactory;
    s_pFirstFactory = this;
}

COleObjectFactory::~COleObjectFactory()
{
    Revoke();
    for (COleObjectFactory** pp = &s_pFirstFactory; *pp; pp = &(*pp)->m_pNextFactory)
    {
        if (*pp == this)
        {
            *pp = m_pNextFactory;
            break;
        }
    }
}

void COleObjectFactory::OnFinalRelease() {}

BOOL COleObjectFactory::Register()
{
    if (m_dwRegister != 0)
        return TRUE;
    const DWORD dwFlags = m_bMultiInstance ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE;
    DWORD dwRegister = 0;
    if (FAILED(CoRegisterClassObject(m_clsid, &m_xClassFactory, CLSCTX_LOCAL_SERVER, dwFlags, &dwRegister)))
        return FALSE;
    m_dwRegister = dwRegister;
    return TRUE;
}

void COleObjectFactory::Revoke()
{
    if (m_dwRegister == 0)
        return;
    CoRevokeClassObject(m_dwRegister);
    m_dwRegister = 0;
}

BOOL COleObjectFactory::UpdateRegistry(BOOL bRegister)
{
    if (!m_lpszProgID || !m_lpszProgID[0])
        return FALSE;
    const std::string strProgID = m_lpszProgID;
    const std::string strClsidKey = "CLSID\\" + ClsidText(m_clsid);
    if (!bRegister)
    {
        const bool bClsidGone = DeleteClassesRootTree(strClsidKey);
        const bool bProgIDGone = DeleteClassesRootTree(strProgID);
        return bClsidGone && bProgIDGone;
    }

    std::string strCommand;
    return LocalServerCommand(strCommand) && SetClassesRootDefault(strProgID, strProgID) &&
           SetClassesRootDefault(strProgID + "\\CLSID", ClsidText(m_clsid)) &&
           SetClassesRootDefault(strClsidKey, strProgID) &&
           SetClassesRootDefault(strClsidKey + "\\ProgID", strProgID) &&
           SetClassesRootDefault(strClsidKey + "\\LocalServer32", strCommand);
}

BOOL COleObjectFactory::RegisterAll()
{
    BOOL bResult = TRUE;
    for (COleObjectFactory* pFactory = s_pFirstFactory; pFactory; pFactory = pFactory->m_pNextFactory)
    {
        if (!pFactory->Register())
            bResult = FALSE;
    }
    return bResult;
}

void COleObjectFactory::RevokeAll()
{
    for (COleObjectFactory* pFactory = s_pFirstFactory; pFactory; pFactory = pFactory->m_pNextFactory)
        pFactory->Revoke();
}

BOOL COleObjectFactory::UpdateRegistryAll(BOOL bRegister)
{
    BOOL bResult = TRUE;
    for (COleObjectFactory* pFactory = s_pFirstFactory; pFactory; pFactory = pFactory->m_pNextFactory)
    {
        if (!pFactory->UpdateRegistry(bRegister))
            bResult = FALSE;
    }
    return bResult;
}

HRESULT COleObjectFactory::CreateInstance(REFIID iid, LPVOID* ppvObj)
{
    if (!ppvObj)
        return E_POINTER;
    *ppvObj = nullptr;
    if (!m_pRuntimeClass || !m_pRuntimeClass->m_pfnCreateObject)
        return E_UNEXPECTED;
    CObject* pObject = m_pRuntimeClass->CreateObject();
    if (!pObject)
        return E_OUTOFMEMORY;
    if (!pObject->IsKindOf(RUNTIME_CLASS(CCmdTarget)))
    {
        delete pObject;
        return E_UNEXPECTED;
    }
    // The creation reference is handed over to the query's; a failed query
    // releases the object's only reference and so deletes it.
    CCmdTarget* pTarget = static_cast<CCmdTarget*>(pObject);
    const HRESULT hr = pTarget->InternalQueryInterface(iid, ppvObj);
    pTarget->InternalRelease();
    return hr;
}

// ---- IClassFactory ---------------------------------------------------------------

STDMETHODIMP COleObjectFactory::XClassFactory::QueryInterface(REFIID iid, LPVOID* ppvObj)
{
    return m_pThis->ExternalQueryInterface(iid, ppvObj);
}

STDMETHODIMP_(ULONG) COleObjectFactory::XClassFactory::AddRef()
{
    return m_pThis->ExternalAddRef();
}

STDMETHODIMP_(ULONG) COleObjectFactory::XClassFactory::Release()
{
    return m_pThis->ExternalRelease();
}

STDMETHODIMP COleObjectFactory::XClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid,
                                                              LPVOID* ppvObject)
{
    if (ppvObject)
        *ppvObject = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    return m_pThis->CreateInstance(riid, ppvObject);
}

// The program's lifetime follows its own rules (its clients, its window), not
// the lock count of COM clients; locking is accepted and has no effect.
STDMETHODIMP COleObjectFactory::XClassFactory::LockServer(BOOL)
{
    return S_OK;
}
