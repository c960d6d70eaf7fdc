// COleObjectFactory: the class object (IClassFactory) of one automation class,
// identified by its CLSID and ProgID and made through the class's run-time class.
// Every factory joins a process-wide list when it is constructed (factories are
// static objects, built during static initialisation), so that the program can
// register all its classes with the system in one call.
//
// Registration as a local server writes, for ProgID P and class id {C}:
//   HKCR\P                       (default) = P
//   HKCR\P\CLSID                 (default) = {C}
//   HKCR\CLSID\{C}               (default) = P
//   HKCR\CLSID\{C}\ProgID        (default) = P
//   HKCR\CLSID\{C}\LocalServer32 (default) = full path of the running program
//                                            (in quotation marks if it holds a blank)
#pragma once

#include "CmdTargetOle.h"

class COleObjectFactory : public CCmdTarget
{
    DECLARE_DYNAMIC(COleObjectFactory)

public:
    // bMultiInstance FALSE: one running process serves every request for the class
    // (REGCLS_MULTIPLEUSE); TRUE: each class object serves one request and COM
    // starts another process for the next (REGCLS_SINGLEUSE).
    COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                      LPCSTR lpszProgID);
    ~COleObjectFactory() override;

    REFCLSID GetClassID() const { return m_clsid; }
    LPCSTR GetProgID() const { return m_lpszProgID; }
    BOOL IsRegistered() const { return m_dwRegister != 0; }

    // Makes the class object available to COM clients (CoRegisterClassObject) / withdraws it.
    BOOL Register();
    void Revoke();
    // Writes (TRUE) or removes (FALSE) this class's local-server registration.
    virtual BOOL UpdateRegistry(BOOL bRegister);

    // The same for every factory of the process; TRUE when each one succeeded.
    static BOOL RegisterAll();
    static void RevokeAll();
    static BOOL UpdateRegistryAll(BOOL bRegister = TRUE);

    // Factories live as long as the process: the last release deletes nothing.
    void OnFinalRelease() override;

protected:
    // A new object of the class with the interface iid, for IClassFactory::CreateInstance.
    HRESULT CreateInstance(REFIID iid, LPVOID* ppvObj);

    class XClassFactory : public IClassFactory
    {
    public:
        explicit XClassFactory(COleObjectFactory* pThis) : m_pThis(pThis) {}
        XClassFactory(const XClassFactory&) = delete;
        XClassFactory& operator=(const XClassFactory&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, LPVOID* ppvObj) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid,
                                                 LPVOID* ppvObject) override;
        HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

    private:
        COleObjectFactory* const m_pThis;
    };
    XClassFactory m_xClassFactory{this};

    DECLARE_INTERFACE_MAP()

private:
    const CLSID m_clsid;
    const CRuntimeClass* const m_pRuntimeClass;
    const BOOL m_bMultiInstance;
    const LPCSTR m_lpszProgID;
    DWORD m_dwRegister = 0; // CoRegisterClassObject's cookie; 0 while not registered
    COleObjectFactory* m_pNextFactory = nullptr;

    static COleObjectFactory* s_pFirstFactory;
};

// The factory of an automation class as a static member, in the usual shape:
//     class CMyObject : public CCmdTarget { ... DECLARE_OLECREATE(CMyObject) };
//     IMPLEMENT_OLECREATE(CMyObject, "My.Object", CLSID_MyObject)
#define DECLARE_OLECREATE(className)                                                                         \
public:                                                                                                      \
    static COleObjectFactory factory;

#define IMPLEMENT_OLECREATE(className, progId, clsid)                                                        \
    COleObjectFactory className::factory((clsid), RUNTIME_CLASS(className), FALSE, (progId));
