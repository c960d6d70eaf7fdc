// CCmdTarget: the base of everything that receives commands and window messages
// (windows, the application object) and of objects exposed through COM.
//
// Message maps. A class lists its handlers in a static table, chained to its base
// class's table:
//
//     // header                              // source
//     class CMyView : public CWnd            BEGIN_MESSAGE_MAP(CMyView, CWnd)
//     {                                          ON_WM_CREATE()
//         ...                                    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
//         DECLARE_MESSAGE_MAP()                  ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
//     };                                         ON_REGISTERED_MESSAGE(g_uMyMessage, OnMyMessage)
//                                            END_MESSAGE_MAP()
//
// Each entry carries a small thunk (a captureless lambda) that turns WPARAM/LPARAM
// into the handler's typed arguments, so handlers keep their natural signatures.
// Lookup walks the class's table, then its base's, and so on: the most derived
// entry wins.
#pragma once

#include "Object.h"

#include <windows.h>
#include <ole2.h>

class CCmdTarget;
class CCmdUI;

typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

// Notification codes of OnCmdMsg.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// Passed as pExtra with CN_COMMAND to ask whether some target along the route has a
// handler for the command, without running it (menus disable commands nobody
// handles). The target that would handle it is stored here.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;            // window message; WM_COMMAND for command entries
    const UINT* pnRegistered; // registered message: the variable holding its number (nMessage is 0)
    int nCode;                // command entries: CN_COMMAND or CN_UPDATE_COMMAND_UI
    UINT nID;                 // command entries: first id of the range
    UINT nLastID;             // command entries: last id of the range
    AFX_PMSG pfn;             // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null for CCmdTarget's own map
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The entry handling a window message (plain or registered) in the chain of maps,
// or null. Command entries are found by CCmdTarget::OnCmdMsg instead.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage);

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget();
    ~CCmdTarget() override;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Offers a command (CN_COMMAND) or its update request (CN_UPDATE_COMMAND_UI,
    // pExtra is the CCmdUI*) to this object's map. TRUE when an entry handled it.
    // CN_COMMAND with a non-null pExtra is only a question: pExtra is an
    // AFX_CMDHANDLERINFO*, the handler is found but not called.
    // Windows and frames override it to route further (view, frame, application);
    // overrides pass all three arguments on unchanged.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra);

    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();

    // ---- automation (COM) -------------------------------------------------------
    // Reserved for the COM layer: reference counting, IUnknown/IDispatch, interface
    // and dispatch maps. Implemented in CmdTargetOle.cpp.
    //
    // A command target is a COM object with one reference count, m_dwRef, which
    // starts at 1: the reference of whoever created the object with new. When the
    // last reference is released, OnFinalRelease runs (by default: delete this).
    // The interfaces it answers come from its interface map (see CmdTargetOle.h),
    // searched from the most derived class to CCmdTarget; CCmdTarget itself offers
    // IDispatch once EnableAutomation has been called. IUnknown is the first
    // interface that the search finds, so every query for it gives the same pointer.
    // The dispatch map is empty by design: automation objects here are found and
    // started through COM, never called, so IDispatch knows no names and no members.
public:
    struct AFX_INTERFACEMAP_ENTRY
    {
        const IID* piid; // null ends the table
        // The implementing object inside pThis, or null when pThis does not offer
        // the interface at present.
        LPUNKNOWN (*pfnGetInterface)(CCmdTarget* pThis);
    };

    struct AFX_INTERFACEMAP
    {
        const AFX_INTERFACEMAP* (*pfnGetBaseMap)(); // null for CCmdTarget's own map
        const AFX_INTERFACEMAP_ENTRY* pEntries;
    };

    struct AFX_DISPMAP
    {
        const AFX_DISPMAP* (*pfnGetBaseMap)(); // null for CCmdTarget's own map
    };

    // Makes IDispatch available; called by the constructor of an automation class.
    void EnableAutomation();
    // The object's IDispatch (null unless automation is enabled), with a reference
    // added when bAddRef is TRUE.
    LPDISPATCH GetIDispatch(BOOL bAddRef);
    // The interface iid of this object, without adding a reference, or null.
    LPUNKNOWN GetInterface(REFIID iid);

    ULONG InternalAddRef();
    ULONG InternalRelease();
    HRESULT InternalQueryInterface(REFIID iid, LPVOID* ppvObj);
    // What the object's interfaces call; they forward to the Internal ones.
    ULONG ExternalAddRef();
    ULONG ExternalRelease();
    HRESULT ExternalQueryInterface(REFIID iid, LPVOID* ppvObj);

    // Called when the last reference is released; the default deletes the object.
    virtual void OnFinalRelease();

    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const;
    virtual const AFX_DISPMAP* GetDispatchMap() const;

protected:
    static const AFX_INTERFACEMAP* GetThisInterfaceMap();
    static const AFX_DISPMAP* GetThisDispatchMap();

    // IDispatch of every automation object: no type information, no names, no members.
    class XDispatch : public IDispatch
    {
    public:
        explicit XDispatch(CCmdTarget* pThis) : m_pThis(pThis) {}
        XDispatch(const XDispatch&) = delete;
        XDispatch& operator=(const XDispatch&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, LPVOID* ppvObj) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                DISPID* rgDispId) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                         UINT* puArgErr) override;

    private:
        CCmdTarget* const m_pThis;
    };

    volatile LONG m_dwRef = 1;
    XDispatch m_xDispatch{this};
    BOOL m_bAutomationEnabled = FALSE;
    // -------------------------------------------------------------------------------
};

#define DECLARE_MESSAGE_MAP()                                                                                \
protected:                                                                                                   \
    static const AFX_MSGMAP* GetThisMessageMap();                                                            \
                                                                                                             \
public:                                                                                                      \
    const AFX_MSGMAP* GetMessageMap() const override;                                                        \
                                                                                                             \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                        \
    {                                                                                                        \
        return GetThisMessageMap();                                                                          \
    }                                                                                                        \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                          \
    {                                                                                                        \
        typedef theClass ThisClass;                                                                          \
        typedef baseClass TheBaseClass;                                                                      \
        static_assert(sizeof(ThisClass) > 0, "complete class");                                              \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                    \
    {                                                                                                        \
        0, nullptr, 0, 0, 0, nullptr                                                                         \
    }                                                                                                        \
    }                                                                                                        \
    ;                                                                                                        \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};            \
    return &messageMap;                                                                                      \
    }

// void memberFxn()
#define ON_COMMAND(id, memberFxn)                                                                            \
    {WM_COMMAND, nullptr, CN_COMMAND, (id), (id), [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {             \
         static_cast<ThisClass*>(t)->memberFxn();                                                            \
         return 0;                                                                                           \
     }},

// void memberFxn(UINT nID), for a range of ids
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                              \
    {WM_COMMAND, nullptr, CN_COMMAND, (id), (idLast), [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {       \
         static_cast<ThisClass*>(t)->memberFxn(static_cast<UINT>(w));                                        \
         return 0;                                                                                           \
     }},

// void memberFxn(CCmdUI* pCmdUI)
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                                  \
    {WM_COMMAND, nullptr, CN_UPDATE_COMMAND_UI, (id), (id), [](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT { \
         static_cast<ThisClass*>(t)->memberFxn(reinterpret_cast<CCmdUI*>(l));                                \
         return 0;                                                                                           \
     }},

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                                       \
    {(message), nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                         \
         return static_cast<ThisClass*>(t)->memberFxn(w, l);                                                 \
     }},

// LRESULT memberFxn(WPARAM, LPARAM); nMessageVariable holds a RegisterWindowMessage number
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                                   \
    {0,                                                                                                      \
     &(nMessageVariable),                                                                                    \
     0,                                                                                                      \
     0,                                                                                                      \
     0,                                                                                                      \
     [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT { return static_cast<ThisClass*>(t)->memberFxn(w, l); }},
