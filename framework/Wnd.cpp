#include "Wnd.h"

#include "CmdUI.h"
#include "WinApp.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace
{

// Which object each window of this process is attached to. Every message asks
// (AfxWndProc), so the lookup must stay in the process: a window property would
// cost a round trip to the Wine server per message. Any thread may look up; the
// shared lock keeps lookups from waiting for one another.
class CWindowMap
{
public:
    CWindowMap() { m_objects.reserve(kInitialWindows); }
    CWindowMap(const CWindowMap&) = delete;
    CWindowMap& operator=(const CWindowMap&) = delete;

    CWnd* Find(HWND hWnd)
    {
        ::AcquireSRWLockShared(&m_lock);
        const auto it = m_objects.find(hWnd);
        CWnd* pWnd = it == m_objects.end() ? nullptr : it->second;
        ::ReleaseSRWLockShared(&m_lock);
        return pWnd;
    }
    // false when the window has an object already, or memory ran out.
    bool Add(HWND hWnd, CWnd* pWnd)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        bool bAdded = false;
        try
        {
            bAdded = m_objects.emplace(hWnd, pWnd).second;
        }
        catch (const std::bad_alloc&)
        {
            // Called from the window procedure: no exception may leave it. The
            // window is left without an object, as a failed attachment leaves it.
        }
        ::ReleaseSRWLockExclusive(&m_lock);
        return bAdded;
    }
    void Remove(HWND hWnd, const CWnd* pWnd)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        const auto it = m_objects.find(hWnd);
        if (it != m_objects.end() && it->second == pWnd)
            m_objects.erase(it);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    static constexpr std::size_t kInitialWindows = 64;
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_objects;
};

// Never destroyed: window objects with static storage may detach after every
// other static object of the process is gone.
CWindowMap& WindowMap()
{
    static CWindowMap* const pMap = new CWindowMap;
    return *pMap;
}

struct ThreadState
{
    CWnd* pWndInit = nullptr; // object whose window is being created on this thread
    // Object whose window of a system class is being created, and that class.
    CWnd* pWndSubclassInit = nullptr;
    LPCSTR pszSubclassClass = nullptr;
    MSG lastSentMsg = {}; // message being handled now, for CWnd::Default()
};

thread_local ThreadState t_state;

// Original procedures of superclassed system classes, by our class name.
struct SuperclassEntry
{
    char szName[64];
    WNDPROC pfnOriginal;
};
std::mutex g_superclassLock;
SuperclassEntry g_superclasses[16];
int g_nSuperclasses = 0;

// Asks the route for a command's state without touching any element.
class CTestCmdUI : public CCmdUI
{
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetText(LPCSTR) override {}
};

WNDPROC LookupSuperclass(LPCSTR lpszClassName)
{
    if (!lpszClassName || IS_INTRESOURCE(lpszClassName))
        return nullptr;
    std::lock_guard<std::mutex> lock(g_superclassLock);
    for (int i = 0; i < g_nSuperclasses; ++i)
    {
        if (lstrcmpiA(g_superclasses[i].szName, lpszClassName) == 0)
            return g_superclasses[i].pfnOriginal;
    }
    return nullptr;
}

// A class whose windows another procedure than ours serves (a system control by
// its own name); false for our classes and unknown ones.
bool IsForeignClass(HINSTANCE hInstance, LPCSTR lpszClassName)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    const BOOL bFound =
        ::GetClassInfoExA(hInstance, lpszClassName, &wc) || ::GetClassInfoExA(nullptr, lpszClassName, &wc);
    return bFound && wc.lpfnWndProc != &CWnd::AfxWndProc;
}

// Whether hWnd is of the class named as CreateWindowEx was given it: a name, or
// an atom in the low word.
bool IsOfClass(HWND hWnd, LPCSTR lpszClassName)
{
    if (IS_INTRESOURCE(lpszClassName))
        return ::GetClassWord(hWnd, GCW_ATOM) == LOWORD(reinterpret_cast<ULONG_PTR>(lpszClassName));
    char szClass[256] = "";
    return ::GetClassNameA(hWnd, szClass, sizeof(szClass)) > 0 && lstrcmpiA(szClass, lpszClassName) == 0;
}

} // namespace

BOOL AfxRegisterSuperclass(LPCSTR lpszBaseClass, LPCSTR lpszNewClass, UINT nExtraClassStyle)
{
    if (LookupSuperclass(lpszNewClass))
        return TRUE;
    HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExA(nullptr, lpszBaseClass, &wc) && !::GetClassInfoExA(hInstance, lpszBaseClass, &wc))
        return FALSE;
    std::lock_guard<std::mutex> lock(g_superclassLock);
    if (g_nSuperclasses == static_cast<int>(sizeof(g_superclasses) / sizeof(g_superclasses[0])) ||
        std::strlen(lpszNewClass) >= sizeof(g_superclasses[0].szName))
        return FALSE;
    SuperclassEntry& entry = g_superclasses[g_nSuperclasses];
    lstrcpynA(entry.szName, lpszNewClass, sizeof(entry.szName));
    entry.pfnOriginal = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CWnd::AfxWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = lpszNewClass;
    wc.style = (wc.style & ~CS_GLOBALCLASS) | nExtraClassStyle;
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return FALSE;
    ++g_nSuperclasses;
    return TRUE;
}

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    // Names live as long as the process: one slot per distinct combination.
    static std::mutex lock;
    static char names[16][64];
    static int nNames = 0;

    char szName[64];
    std::snprintf(szName, sizeof(szName), "Afx:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor),
                  static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    std::lock_guard<std::mutex> guard(lock);
    for (int i = 0; i < nNames; ++i)
    {
        if (std::strcmp(names[i], szName) == 0)
            return names[i];
    }
    if (nNames == 16)
        return nullptr;

    WNDCLASSA wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = &CWnd::AfxWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = szName;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    lstrcpynA(names[nNames], szName, sizeof(names[0]));
    return names[nNames++];
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
    else if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? WindowMap().Find(hWnd) : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || !WindowMap().Add(hWnd, this))
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd)
    {
        if (m_bSubclassed &&
            reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &CWnd::AfxWndProc)
        {
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            m_pfnSuper = nullptr;
        }
        WindowMap().Remove(hWnd, this);
    }
    m_hWnd = nullptr;
    m_bSubclassed = false;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    // A window of one of our classes reaches the map already.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) != &CWnd::AfxWndProc)
    {
        m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
        m_bSubclassed = true;
    }
    return TRUE;
}

LRESULT CALLBACK CWnd::SubclassOnCreate(int nCode, WPARAM wParam, LPARAM lParam)
{
    // The first window of the class asked for: windows the system makes meanwhile
    // (an input-method window, say) keep their own procedures.
    CWnd* pWnd = t_state.pWndSubclassInit;
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (nCode == HCBT_CREATEWND && pWnd && IsOfClass(hWnd, t_state.pszSubclassClass))
    {
        t_state.pWndSubclassInit = nullptr;
        pWnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
        pWnd->m_bSubclassed = true;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = ::GetModuleHandleA(nullptr);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;

    m_pfnSuper = LookupSuperclass(cs.lpszClass);
    m_bSubclassed = false;
    // A system class by its own name: the window is subclassed as it is created
    // (the computer-based-training hook sees it before its first message).
    const bool bForeign = !m_pfnSuper && IsForeignClass(cs.hInstance, cs.lpszClass);
    HHOOK hHook = nullptr;
    CWnd* pPrevSubclassInit = t_state.pWndSubclassInit;
    const LPCSTR pszPrevSubclass = t_state.pszSubclassClass;
    if (bForeign)
    {
        hHook = ::SetWindowsHookExA(WH_CBT, &CWnd::SubclassOnCreate, nullptr, ::GetCurrentThreadId());
        if (!hHook)
        {
            PostNcDestroy();
            return FALSE;
        }
        t_state.pWndSubclassInit = this;
        t_state.pszSubclassClass = cs.lpszClass;
    }
    CWnd* pPrevInit = t_state.pWndInit;
    t_state.pWndInit = this;
    HWND hWnd =
        ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                          cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    const bool bAttached = t_state.pWndInit != this;
    t_state.pWndInit = pPrevInit;
    if (hHook)
    {
        ::UnhookWindowsHookEx(hHook);
        t_state.pWndSubclassInit = pPrevSubclassInit;
        t_state.pszSubclassClass = pszPrevSubclass;
    }
    if (!hWnd)
    {
        // A window that got as far as its first message was destroyed through
        // WM_NCDESTROY, which detached it and ran PostNcDestroy (this object may be
        // gone now). One that never got a message ends the same way here.
        if (!bAttached)
            PostNcDestroy();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    BOOL bResult = ::DestroyWindow(hWnd);
    // A window not created through us gets no WM_NCDESTROY routing: let go of it.
    if (m_hWnd == hWnd && !::IsWindow(hWnd))
        Detach();
    return bResult;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && t_state.pWndInit)
    {
        pWnd = t_state.pWndInit;
        t_state.pWndInit = nullptr;
        pWnd->Attach(hWnd);
    }
    if (!pWnd)
    {
        // A window of one of our classes that no object owns (or no longer owns).
        char szClass[64] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        WNDPROC pfnSuper = LookupSuperclass(szClass);
        return pfnSuper ? ::CallWindowProcA(pfnSuper, hWnd, message, wParam, lParam)
                        : ::DefWindowProcA(hWnd, message, wParam, lParam);
    }

    MSG saved = t_state.lastSentMsg;
    t_state.lastSentMsg.hwnd = hWnd;
    t_state.lastSentMsg.message = message;
    t_state.lastSentMsg.wParam = wParam;
    t_state.lastSentMsg.lParam = lParam;
    LRESULT lResult = pWnd->WindowProc(message, wParam, lParam);
    t_state.lastSentMsg = saved;

    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd)
    {
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd == pWnd)
        {
            // The program ends with its main window.
            pApp->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = AfxFindMessageEntry(GetMessageMap(), message);
    if (!pEntry)
        return FALSE;
    *pResult = pEntry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    // Menus send code 0, accelerators 1, buttons (tool-bar buttons too) BN_CLICKED
    // (0) with their handle. Other control notifications are no commands.
    if (nID == 0 || (lParam != 0 && nCode != BN_CLICKED) || (lParam == 0 && nCode > 1))
        return FALSE;
    CTestCmdUI state;
    state.m_nID = nID;
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state);
    if (!state.m_bEnabled)
        return TRUE; // disabled: swallowed, like a click on a greyed item
    return OnCmdMsg(nID, CN_COMMAND, nullptr);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = t_state.lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = GetStyle();
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNewStyle));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

CWnd* CWnd::GetDescendantWindow(int nID) const
{
    HWND hChild = ::GetDlgItem(m_hWnd, nID);
    return hChild ? FromHandlePermanent(hChild) : nullptr;
}

int CWnd::OnCreate(LPCREATESTRUCTA)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnSetFocus(CWnd*)
{
    Default();
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

void CWnd::OnSettingChange(UINT, LPCSTR)
{
    Default();
}

void CWnd::OnInitMenuPopup(HMENU, UINT, BOOL)
{
    Default();
}

void CWnd::OnMenuSelect(UINT, UINT, HMENU)
{
    Default();
}
