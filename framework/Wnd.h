// CWnd: a C++ object attached to one window handle. The object receives the
// window's messages through its message map; what the map does not handle goes to
// the default processing (DefWindowProc, or the original procedure of a system
// control class that was superclassed).
//
// Attachment: CreateEx() leaves the object in a per-thread slot; the shared window
// procedure attaches it to the handle at the first message the new window gets
// (before WM_NCCREATE for some windows), so even WM_CREATE reaches the map. A
// window of a system class (a control by its own class name) is subclassed as it
// is created, before its first message, to the same end. The
// links live in one table of the process (no window property: under Wine each
// property lookup is a server round trip, and every message needs one), and any
// thread can find the object of a handle.
// Wrappers keep nothing but the handle.
//
// Destroying the application's main window ends its message loop (WM_QUIT) and
// clears CWinApp::m_pMainWnd. A creation that fails always ends in PostNcDestroy,
// so objects that delete themselves there (frames) are gone after a failed Create.
#pragma once

#include "CmdTarget.h"

// Sent by the application's idle processing to the main window: bring bars up to
// date (wParam TRUE: disable elements whose command nobody handles).
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)

public:
    HWND m_hWnd = nullptr;

    CWnd();
    // Destroys the window if it still exists.
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates the window and attaches this object. lpszClassName is registered
    // (AfxRegisterWndClass), a system class made ours with AfxRegisterSuperclass,
    // or any other class, whose new window is then subclassed (the class's own
    // procedure does the default processing).
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    // Last chance to change the creation parameters; FALSE cancels the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL DestroyWindow();

    // Attaches an existing window (no message routing change) / gives it up; a
    // window this object subclassed gets its own procedure back.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Attaches an existing window and routes its messages through the map, with
    // the window's own procedure as the default (undone by Detach).
    BOOL SubclassWindow(HWND hWnd);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE when the message map handled the message; *pResult holds the result.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // WM_COMMAND from a menu, an accelerator or a button: asks the route for the
    // command's state first and drops a command whose update handler disabled it
    // (a stale menu, an accelerator of a greyed item), then routes it through
    // OnCmdMsg. Other control notifications are not commands (FALSE).
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY) and detached.
    virtual void PostNcDestroy();
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Default processing of the message being handled now.
    LRESULT Default();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL UpdateWindow() const { return ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) const
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) const { return ::KillTimer(m_hWnd, nIDEvent); }
    CWnd* SetFocus() const { return FromHandlePermanent(::SetFocus(m_hWnd)); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
    CWnd* GetDescendantWindow(int nID) const;
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }

    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Base handlers: default processing. Derived handlers call them to keep it.
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnSetFocus(CWnd* pOldWnd);
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);

    // Original window procedure of a superclassed system class or of a subclassed
    // window, null otherwise.
    WNDPROC m_pfnSuper = nullptr;

private:
    // Subclasses the window that CreateEx is creating, before its first message.
    static LRESULT CALLBACK SubclassOnCreate(int nCode, WPARAM wParam, LPARAM lParam);
    // This object subclassed its window (SubclassWindow, or a system class's CreateEx).
    bool m_bSubclassed = false;
};

// Registers (once per process) a window class served by CWnd::AfxWndProc and
// returns its name: "Afx:<style>:<cursor>:<brush>:<icon>" like the framework we
// model. Returns null on failure.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);

// Registers lpszNewClass as a copy of the system class lpszBaseClass whose messages
// reach CWnd objects first; their default processing is the system class's own.
// nExtraClassStyle is added to the base class's styles (CS_OWNDC, say). Idempotent
// (by name). FALSE when the base class is unknown.
BOOL AfxRegisterSuperclass(LPCSTR lpszBaseClass, LPCSTR lpszNewClass, UINT nExtraClassStyle = 0);

// Window-message entries for message maps; each handler has the signature shown.
// int OnCreate(LPCREATESTRUCTA)
#define ON_WM_CREATE()                                                                                       \
    {WM_CREATE, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT {                           \
         return static_cast<ThisClass*>(t)->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(l));                  \
     }},
// void OnDestroy()
#define ON_WM_DESTROY()                                                                                      \
    {WM_DESTROY, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                            \
         static_cast<ThisClass*>(t)->OnDestroy();                                                            \
         return 0;                                                                                           \
     }},
// void OnClose()
#define ON_WM_CLOSE()                                                                                        \
    {WM_CLOSE, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                              \
         static_cast<ThisClass*>(t)->OnClose();                                                              \
         return 0;                                                                                           \
     }},
// void OnSetFocus(CWnd* pOldWnd)
#define ON_WM_SETFOCUS()                                                                                     \
    {WM_SETFOCUS, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {                         \
         static_cast<ThisClass*>(t)->OnSetFocus(CWnd::FromHandlePermanent(reinterpret_cast<HWND>(w)));       \
         return 0;                                                                                           \
     }},
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                                         \
    {WM_SIZE, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                           \
         static_cast<ThisClass*>(t)->OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l));                     \
         return 0;                                                                                           \
     }},
// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                                        \
    {WM_TIMER, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {                            \
         static_cast<ThisClass*>(t)->OnTimer(static_cast<UINT_PTR>(w));                                      \
         return 0;                                                                                           \
     }},
// void OnSettingChange(UINT uFlags, LPCSTR lpszSection)
#define ON_WM_SETTINGCHANGE()                                                                                \
    {WM_SETTINGCHANGE, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                  \
         static_cast<ThisClass*>(t)->OnSettingChange(static_cast<UINT>(w), reinterpret_cast<LPCSTR>(l));     \
         return 0;                                                                                           \
     }},
// void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu)
#define ON_WM_INITMENUPOPUP()                                                                                \
    {WM_INITMENUPOPUP, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                  \
         static_cast<ThisClass*>(t)->OnInitMenuPopup(reinterpret_cast<HMENU>(w), LOWORD(l), HIWORD(l));      \
         return 0;                                                                                           \
     }},
// void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
#define ON_WM_MENUSELECT()                                                                                   \
    {WM_MENUSELECT, nullptr, 0, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                     \
         static_cast<ThisClass*>(t)->OnMenuSelect(LOWORD(w), HIWORD(w), reinterpret_cast<HMENU>(l));         \
         return 0;                                                                                           \
     }},
