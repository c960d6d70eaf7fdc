// CCmdTarget's COM half: reference counting, interface lookup through the
// interface maps, and the member-less IDispatch of automation objects.
#include "CmdTargetOle.h"

const CCmdTarget::AFX_INTERFACEMAP* CCmdTarget::GetThisInterfaceMap()
{
    static const AFX_INTERFACEMAP_ENTRY entries[] = {
        {&IID_IDispatch, [](CCmdTarget* p) -> LPUNKNOWN { return p->GetIDispatch(FALSE); }},
        {nullptr, nullptr}};
    static const AFX_INTERFACEMAP interfaceMap = {nullptr, &entries[0]};
    return &interfaceMap;
}

const CCmdTarget::AFX_INTERFACEMAP* CCmdTarget::GetInterfaceMap() const
{
    return GetThisInterfaceMap();
}

const CCmdTarget::AFX_DISPMAP* CCmdTarget::GetThisDispatchMap()
{
    static const AFX_DISPMAP dispatchMap = {nullptr};
    return &dispatchMap;
}

const CCmdTarget::AFX_DISPMAP* CCmdTarget::GetDispatchMap() const
{
    return GetThisDispatchMap();
}

void CCmdTarget::EnableAutomation()
{
    m_bAutomationEnabled = TRUE;
}

LPDISPATCH CCmdTarget::GetIDispatch(BOOL bAddRef)
{
    if (!m_bAutomationEnabled)
        return nullptr;
    if (bAddRef)
        InternalAddRef();
    return &m_xDispatch;
}

LPUNKNOWN CCmdTarget::GetInterface(REFIID iid)
{
    const bool bUnknown = IsEqualIID(iid, IID_IUnknown);
    for (const AFX_INTERFACEMAP* pMap = GetInterfaceMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_INTERFACEMAP_ENTRY* pEntry = pMap->pEntries; pEntry->piid; ++pEntry)
        {
            if (!bUnknown && !IsEqualIID(*pEntry->piid, iid))
                continue;
            if (LPUNKNOWN pUnknown = pEntry->pfnGetInterface(this))
                return pUnknown;
        }
    }
    return nullptr;
}

ULONG CCmdTarget::InternalAddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_dwRef));
}

ULONG CCmdTarget::InternalRelease()
{
    // Never below zero, so OnFinalRelease runs once at most.
    if (m_dwRef == 0)
        return 0;
    const LONG lResult = InterlockedDecrement(&m_dwRef);
    if (lResult == 0)
        OnFinalRelease();
    return static_cast<ULONG>(lResult);
}

HRESULT CCmdTarget::InternalQueryInterface(REFIID iid, LPVOID* ppvObj)
{
    if (!ppvObj)
        return E_POINTER;
    LPUNKNOWN pUnknown = GetInterface(iid);
    *ppvObj = pUnknown;
    if (!pUnknown)
        return E_NOINTERFACE;
    InternalAddRef();
    return S_OK;
}

ULONG CCmdTarget::ExternalAddRef()
{
    return InternalAddRef();
}

ULONG CCmdTarget::ExternalRelease()
{
    return InternalRelease();
}

HRESULT CCmdTarget::ExternalQueryInterface(REFIID iid, LPVOID* ppvObj)
{
    return InternalQueryInterface(iid, ppvObj);
}

void CCmdTarget::OnFinalRelease()
{
    delete this;
}

// ---- IDispatch -------------------------------------------------------------------

STDMETHODIMP CCmdTarget::XDispatch::QueryInterface(REFIID iid, LPVOID* ppvObj)
{
    return m_pThis->ExternalQueryInterface(iid, ppvObj);
}

STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::AddRef()
{
    return m_pThis->ExternalAddRef();
}

STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::Release()
{
    return m_pThis->ExternalRelease();
}

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP CCmdTarget::XDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId)
{
    if (rgDispId)
    {
        for (UINT i = 0; i < cNames; ++i)
            rgDispId[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CCmdTarget::XDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                           UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}
