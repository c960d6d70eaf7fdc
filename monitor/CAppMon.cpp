#include "CAppMon.h"

#include "AppMonIds.h"

IMPLEMENT_DYNCREATE(CAppMon, CCmdTarget)

// The one class factory of the process, built during static initialisation.
IMPLEMENT_OLECREATE(CAppMon, kAppMonProgID, CLSID_AppMon)

BEGIN_MESSAGE_MAP(CAppMon, CCmdTarget)
END_MESSAGE_MAP()

BEGIN_DISPATCH_MAP(CAppMon, CCmdTarget)
END_DISPATCH_MAP()

BEGIN_INTERFACE_MAP(CAppMon, CCmdTarget)
INTERFACE_PART(CAppMon, IID_IAppMon, Dispatch)
END_INTERFACE_MAP()

CAppMon::CAppMon()
{
    EnableAutomation();
}

CAppMon::~CAppMon()
{
    // Deleted directly (not by its last release) while references remain: take
    // one more for ourselves first, so that the releases below cannot run
    // OnFinalRelease on an object that is already being destroyed.
    if (m_dwRef > 0)
    {
        InternalAddRef();
        RevokeActiveObject();
        // Remote clients may still hold proxies: cut them off, so that a late call
        // fails in the client instead of reaching freed memory here.
        CoDisconnectObject(GetInterface(IID_IUnknown), 0);
    }
}

void CAppMon::OnFinalRelease()
{
    CCmdTarget::OnFinalRelease();
}

BOOL CAppMon::RegisterAsActiveObject()
{
    if (m_dwRegister != 0)
        return TRUE;
    LPDISPATCH pDispatch = GetIDispatch(FALSE);
    LPUNKNOWN pUnknown = nullptr;
    if (FAILED(pDispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown))))
        return FALSE;
    // Give back the query's reference: the object's count is where it was.
    pDispatch->Release();

    DWORD dwRegister = 0;
    const HRESULT hr = ::RegisterActiveObject(pUnknown, CLSID_AppMon, ACTIVEOBJECT_STRONG, &dwRegister);
    // MK_S_MONIKERALREADYREGISTERED is a success code: registered all the same.
    if (FAILED(hr))
        return FALSE;
    m_dwRegister = dwRegister;
    return TRUE;
}

void CAppMon::RevokeActiveObject()
{
    if (m_dwRegister == 0)
        return;
    const DWORD dwRegister = m_dwRegister;
    m_dwRegister = 0;
    ::RevokeActiveObject(dwRegister, nullptr);
}
