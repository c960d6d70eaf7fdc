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
