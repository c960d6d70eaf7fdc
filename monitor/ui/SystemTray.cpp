#include "SystemTray.h"

#include "TrayArithmetic.h"

#include <climits>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CSystemTray, CWnd)

const UINT CSystemTray::s_uTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
int CSystemTray::s_nMaxTooltipLength = CSystemTray::kTooltipFieldSize;
CWnd CSystemTray::s_wndHiddenOwner;

// The shell's record sizes: its pointer-sized fields make them larger in 64-bit code.
static_assert(NOTIFYICONDATAA_V2_SIZE == (sizeof(void*) == 8 ? 504 : 488),
              "the record is passed in its V2 form");
static_assert(sizeof(APPBARDATA) == (sizeof(void*) == 8 ? 48 : 36),
              "the taskbar query takes the plain record");
static_assert(ABE_LEFT == TrayArithmetic::kEdgeLeft && ABE_TOP == TrayArithmetic::kEdgeTop &&
                  ABE_RIGHT == TrayArithmetic::kEdgeRight && ABE_BOTTOM == TrayArithmetic::kEdgeBottom,
              "taskbar edges");
static_assert(sizeof(RECT) == sizeof(TrayArithmetic::Rect), "rectangles share one layout");

namespace
{

constexpr char kOutOfMemoryText[] = "Out of memory.";
// Icon resource ids are 16 bits wide.
constexpr UINT kLastResourceId = 0xFFFF;
// A class name longer than this cannot be one of the taskbar's.
constexpr int kClassNameSize = 256;

// Copies at most fieldSize - 1 bytes of text (NULL: empty) and always terminates.
template <size_t N> void CopyField(char (&field)[N], LPCSTR lpszText, size_t fieldSize = N)
{
    if (fieldSize > N)
        fieldSize = N;
    if (fieldSize == 0)
        return;
    size_t nLength = lpszText ? std::strlen(lpszText) : 0;
    if (nLength > fieldSize - 1)
        nLength = fieldSize - 1;
    if (nLength)
        std::memcpy(field, lpszText, nLength);
    field[nLength] = '\0';
}

UINT SecondsToMilliseconds(UINT uSeconds)
{
    return uSeconds > UINT_MAX / 1000 ? UINT_MAX / 1000 * 1000 : uSeconds * 1000;
}

TrayArithmetic::Rect ToArea(const RECT& rc)
{
    return {rc.left, rc.top, rc.right, rc.bottom};
}

RECT ToRect(const TrayArithmetic::Rect& area)
{
    return {area.left, area.top, area.right, area.bottom};
}

void ReportOutOfMemory()
{
    CWnd* pMainWnd = AfxGetMainWnd();
    CWinApp* pApp = AfxGetApp();
    ::MessageBoxA(pMainWnd ? pMainWnd->m_hWnd : nullptr, kOutOfMemoryText,
                  pApp ? pApp->m_pszAppName : nullptr, MB_OK | MB_ICONSTOP);
}

// A menu loaded from the application's resources, destroyed with this object.
class CLoadedMenu
{
public:
    explicit CLoadedMenu(UINT nID) : m_hMenu(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nID))) {}
    ~CLoadedMenu()
    {
        if (m_hMenu)
            ::DestroyMenu(m_hMenu);
    }
    CLoadedMenu(const CLoadedMenu&) = delete;
    CLoadedMenu& operator=(const CLoadedMenu&) = delete;

    // The first sub-menu, or NULL when the menu or the sub-menu is missing.
    HMENU FirstSubMenu() const { return m_hMenu ? ::GetSubMenu(m_hMenu, 0) : nullptr; }

private:
    HMENU m_hMenu;
};

// Walks the taskbar's windows: the notification area, then the clock inside it.
struct TrayWindowWalk
{
    RECT rect;
};

BOOL CALLBACK VisitTaskbarChild(HWND hWnd, LPARAM lParam)
{
    TrayWindowWalk& walk = *reinterpret_cast<TrayWindowWalk*>(lParam);
    char szClass[kClassNameSize] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (std::strcmp(szClass, "TrayNotifyWnd") == 0)
    {
        ::GetWindowRect(hWnd, &walk.rect);
        return TRUE;
    }
    if (std::strcmp(szClass, "TrayClockWClass") == 0)
    {
        RECT rcClock;
        ::GetWindowRect(hWnd, &rcClock);
        walk.rect = ToRect(TrayArithmetic::AdjustAreaForClock(ToArea(walk.rect), ToArea(rcClock)));
        return FALSE;
    }
    return TRUE;
}

// The notification area as the taskbar's own windows place it. FALSE when there is
// no taskbar window or it gives no usable rectangle (a hidden, empty one).
BOOL AreaFromTaskbarWindows(RECT* pRect)
{
    HWND hTaskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (!hTaskbar)
        return FALSE;
    TrayWindowWalk walk = {};
    ::GetWindowRect(hTaskbar, &walk.rect);
    ::EnumChildWindows(hTaskbar, &VisitTaskbarChild, reinterpret_cast<LPARAM>(&walk));
    if (::IsRectEmpty(&walk.rect))
        return FALSE;
    *pRect = walk.rect;
    return TRUE;
}

void SetOwner(HWND hWnd, HWND hOwner)
{
    ::SetWindowLongPtrA(hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hOwner));
}

BOOL IsTopLevel(CWnd* pWnd)
{
    return pWnd && ::IsWindow(pWnd->m_hWnd) && !(::GetWindowLongA(pWnd->m_hWnd, GWL_STYLE) & WS_CHILD);
}

} // namespace

// ---- CTrayIconList ---------------------------------------------------------------

BOOL CTrayIconList::Allocate(UINT nCount)
{
    RemoveAll();
    if (nCount == 0)
        return TRUE;
    // calloc, not an array new: the compiler's size check of array new throws
    // even in its nothrow form, and nothing may throw here.
    m_pIcons.reset(static_cast<HICON*>(std::calloc(nCount, sizeof(HICON))));
    if (!m_pIcons)
        return FALSE;
    m_nCount = nCount;
    return TRUE;
}

void CTrayIconList::RemoveAll()
{
    m_pIcons.reset();
    m_nCount = 0;
}

// ---- construction ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSystemTray, CWnd)
ON_WM_TIMER()
ON_WM_SETTINGCHANGE()
ON_REGISTERED_MESSAGE(CSystemTray::s_uTaskbarCreated, OnTaskbarRecreated)
END_MESSAGE_MAP()

CSystemTray::CSystemTray()
{
    Initialise();
}

CSystemTray::CSystemTray(CWnd* pParent, UINT uCallbackMessage, LPCSTR lpszToolTip, HICON hIcon, UINT uID,
                         BOOL bHidden, LPCSTR lpszBalloonText, LPCSTR lpszBalloonTitle, DWORD dwBalloonIcon,
                         UINT uBalloonSeconds)
{
    Initialise();
    Create(pParent, uCallbackMessage, lpszToolTip, hIcon, uID, bHidden, lpszBalloonText, lpszBalloonTitle,
           dwBalloonIcon, uBalloonSeconds);
}

void CSystemTray::Initialise()
{
    std::memset(&m_nid, 0, sizeof(m_nid));
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    m_bShellV5 = ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                 version.dwMajorVersion >= 5;
}

CSystemTray::~CSystemTray()
{
    RemoveIcon();
    m_icons.RemoveAll();
    if (m_hWnd)
        DestroyWindow();
}

BOOL CSystemTray::Create(CWnd* pParent, UINT uCallbackMessage, LPCSTR lpszToolTip, HICON hIcon, UINT uID,
                         BOOL bHidden, LPCSTR lpszBalloonText, LPCSTR lpszBalloonTitle, DWORD dwBalloonIcon,
                         UINT uBalloonSeconds)
{
    m_bSupported = LOBYTE(LOWORD(::GetVersion())) >= 4;
    if (!m_bSupported)
        return FALSE;
    s_nMaxTooltipLength = kTooltipFieldSize;

    if (m_hWnd || !CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return FALSE;

    m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_nid.hWnd = (pParent && pParent->m_hWnd) ? pParent->m_hWnd : m_hWnd;
    m_nid.uID = uID;
    m_nid.hIcon = hIcon;
    m_nid.uCallbackMessage = uCallbackMessage;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyField(m_nid.szTip, lpszToolTip, static_cast<size_t>(s_nMaxTooltipLength));

    const BOOL bBalloon = m_bShellV5 && lpszBalloonText && *lpszBalloonText;
    if (bBalloon)
    {
        m_nid.uFlags |= NIF_INFO;
        CopyField(m_nid.szInfo, lpszBalloonText);
        CopyField(m_nid.szInfoTitle, lpszBalloonTitle);
        m_nid.uTimeout = SecondsToMilliseconds(uBalloonSeconds);
        m_nid.dwInfoFlags = dwBalloonIcon;
    }
    // A version 5 shell keeps a hidden icon registered; older shells get the icon
    // only when it is shown.
    const BOOL bRegisterHidden = bHidden && m_bShellV5;
    if (bRegisterHidden)
    {
        m_nid.uFlags |= NIF_STATE;
        m_nid.dwState = NIS_HIDDEN;
        m_nid.dwStateMask = NIS_HIDDEN;
    }
    m_bHidden = bHidden;
    m_nCreationFlags = m_nid.uFlags;

    BOOL bResult = TRUE;
    if (!bHidden || bRegisterHidden)
    {
        bResult = NotifyShell(NIM_ADD);
        RecordAddResult(bResult);
        m_bHidden = bHidden;
        if (bHidden)
            m_bReAddPending = FALSE;
    }
    // The balloon shows once: later modifications and re-adds must not bring it back.
    if (bBalloon)
        m_nid.szInfo[0] = '\0';
    return bResult;
}

BOOL CSystemTray::NotifyShell(DWORD dwMessage)
{
    return ::Shell_NotifyIconA(dwMessage, &m_nid);
}

void CSystemTray::RecordAddResult(BOOL bAdded)
{
    m_bRemoved = !bAdded;
    m_bReAddPending = !bAdded;
    m_bHidden = FALSE;
}

// ---- registration --------------------------------------------------------------------

BOOL CSystemTray::AddIcon()
{
    if (!m_bRemoved)
        RemoveIcon();
    if (m_bSupported)
    {
        m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        // The record describes a visible icon from now on.
        m_nid.dwState = 0;
        RecordAddResult(NotifyShell(NIM_ADD));
    }
    return !m_bRemoved;
}

BOOL CSystemTray::RemoveIcon()
{
    m_bReAddPending = FALSE;
    if (!m_bSupported || m_bRemoved)
        return TRUE;
    m_nid.uFlags = 0;
    if (NotifyShell(NIM_DELETE))
    {
        m_bHidden = TRUE;
        m_bRemoved = TRUE;
    }
    return m_bRemoved;
}

BOOL CSystemTray::HideIcon()
{
    if (!m_bSupported || m_bRemoved || m_bHidden)
        return TRUE;
    if (m_bShellV5)
    {
        m_nid.uFlags = NIF_STATE;
        m_nid.dwState = NIS_HIDDEN;
        m_nid.dwStateMask = NIS_HIDDEN;
        m_bHidden = NotifyShell(NIM_MODIFY);
        if (!m_bHidden)
            m_nid.dwState = 0;
    }
    else
    {
        RemoveIcon();
    }
    return m_bHidden;
}

BOOL CSystemTray::ShowIcon()
{
    if (m_bRemoved)
        return AddIcon();
    if (!m_bHidden)
        return TRUE;
    if (m_bShellV5)
    {
        m_nid.uFlags = NIF_STATE;
        m_nid.dwState = 0;
        m_nid.dwStateMask = NIS_HIDDEN;
        if (NotifyShell(NIM_MODIFY))
        {
            m_bHidden = FALSE;
            return TRUE;
        }
        // The shell lost the icon while it was hidden (the taskbar was recreated).
        return AddIcon();
    }
    AddIcon();
    return !m_bHidden;
}

BOOL CSystemTray::ReAddIcon()
{
    RemoveIcon();
    return AddIcon();
}

void CSystemTray::ReAddIfPending()
{
    if (!m_bSupported || !m_bReAddPending || m_bHidden)
        return;
    m_nid.uFlags = m_nCreationFlags;
    m_nid.dwState = 0;
    BOOL bShown = NotifyShell(NIM_ADD);
    if (!bShown)
    {
        // The shell refuses a second icon with our window and id when it never lost
        // ours (a broadcast without a real restart, or a work-area change): if it
        // still knows the icon, the icon is shown and nothing is pending.
        m_nid.uFlags = m_nCreationFlags & ~static_cast<UINT>(NIF_INFO);
        bShown = NotifyShell(NIM_MODIFY);
    }
    RecordAddResult(bShown);
}

LRESULT CSystemTray::OnTaskbarRecreated(WPARAM, LPARAM)
{
    m_bReAddPending = TRUE;
    ReAddIfPending();
    return 0;
}

void CSystemTray::OnSettingChange(UINT uFlags, LPCSTR lpszSection)
{
    CWnd::OnSettingChange(uFlags, lpszSection);
    if (uFlags == SPI_SETWORKAREA)
    {
        m_bReAddPending = !m_bHidden;
        ReAddIfPending();
    }
}

// ---- icon, tooltip, balloon ------------------------------------------------------------

BOOL CSystemTray::SetIcon(HICON hIcon)
{
    if (!m_bSupported)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = hIcon;
    if (m_bHidden)
        return TRUE;
    return NotifyShell(NIM_MODIFY);
}

BOOL CSystemTray::SetIcon(LPCSTR lpszIconName)
{
    // Shared: the handle stays valid as long as the module, so re-adding the icon
    // after a taskbar restart or restoring it after an animation never uses a
    // destroyed handle.
    HICON hIcon = static_cast<HICON>(
        ::LoadImageA(AfxGetResourceHandle(), lpszIconName, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR | LR_SHARED));
    if (!hIcon)
        return FALSE;
    return SetIcon(hIcon);
}

BOOL CSystemTray::SetIcon(UINT nIDResource)
{
    return SetIcon(MAKEINTRESOURCEA(nIDResource));
}

BOOL CSystemTray::SetStandardIcon(LPCSTR lpszIconName)
{
    HICON hIcon = ::LoadIconA(nullptr, lpszIconName);
    if (!hIcon)
        return FALSE;
    return SetIcon(hIcon);
}

BOOL CSystemTray::SetStandardIcon(UINT nIDResource)
{
    return SetStandardIcon(MAKEINTRESOURCEA(nIDResource));
}

HICON CSystemTray::GetIcon() const
{
    return m_bSupported ? m_nid.hIcon : nullptr;
}

BOOL CSystemTray::SetTooltipText(LPCSTR lpszTip)
{
    if (!m_bSupported)
        return FALSE;
    m_nid.uFlags = NIF_TIP;
    CopyField(m_nid.szTip, lpszTip, static_cast<size_t>(s_nMaxTooltipLength));
    if (m_bHidden)
        return TRUE;
    return NotifyShell(NIM_MODIFY);
}

BOOL CSystemTray::SetTooltipText(UINT nID)
{
    char szTip[kTooltipFieldSize * 2] = "";
    if (!::LoadStringA(AfxGetResourceHandle(), nID, szTip, sizeof(szTip)))
        return FALSE;
    return SetTooltipText(szTip);
}

LPCSTR CSystemTray::GetTooltipText() const
{
    return m_bSupported ? m_nid.szTip : "";
}

BOOL CSystemTray::ShowBalloon(LPCSTR lpszText, LPCSTR lpszTitle, DWORD dwIcon, UINT uSeconds)
{
    if (!m_bSupported || !m_bShellV5 || !lpszText)
        return FALSE;
    m_nid.uFlags = NIF_INFO;
    CopyField(m_nid.szInfo, lpszText);
    CopyField(m_nid.szInfoTitle, lpszTitle);
    m_nid.dwInfoFlags = dwIcon;
    m_nid.uTimeout = SecondsToMilliseconds(uSeconds);
    const BOOL bResult = NotifyShell(NIM_MODIFY);
    m_nid.szInfo[0] = '\0';
    return bResult;
}

// ---- receivers -------------------------------------------------------------------------

BOOL CSystemTray::SetNotificationWnd(CWnd* pWnd)
{
    if (!m_bSupported || !pWnd || !::IsWindow(pWnd->m_hWnd))
        return FALSE;
    if (pWnd->m_hWnd == m_nid.hWnd)
        return TRUE;
    if (m_bRemoved)
    {
        // Not registered: the next add uses the new window. A pending re-add stays.
        m_nid.hWnd = pWnd->m_hWnd;
        return TRUE;
    }
    const BOOL bWasHidden = m_bHidden;
    RemoveIcon();
    m_nid.hWnd = pWnd->m_hWnd;
    if (!bWasHidden)
        return AddIcon();
    // Registered hidden (only version 5 shells keep hidden icons registered).
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE;
    m_nid.dwState = NIS_HIDDEN;
    m_nid.dwStateMask = NIS_HIDDEN;
    m_bRemoved = !NotifyShell(NIM_ADD);
    m_bHidden = TRUE;
    return !m_bRemoved;
}

CWnd* CSystemTray::GetNotificationWnd() const
{
    return CWnd::FromHandlePermanent(m_nid.hWnd);
}

BOOL CSystemTray::SetCommandTarget(CWnd* pTarget)
{
    m_pCommandTarget = pTarget;
    return TRUE;
}

CWnd* CSystemTray::GetCommandTarget() const
{
    if (m_pCommandTarget)
        return m_pCommandTarget;
    return AfxGetMainWnd();
}

BOOL CSystemTray::SetCallbackMessage(UINT uCallbackMessage)
{
    if (!m_bSupported)
        return FALSE;
    m_nid.uFlags = NIF_MESSAGE;
    m_nid.uCallbackMessage = uCallbackMessage;
    if (m_bHidden)
        return TRUE;
    return NotifyShell(NIM_MODIFY);
}

UINT CSystemTray::GetCallbackMessage() const
{
    return m_nid.uCallbackMessage;
}

// ---- menu --------------------------------------------------------------------------------

BOOL CSystemTray::SetDefaultMenuItem(UINT uItem, BOOL bByPosition)
{
    if (m_nDefaultItem == uItem && m_bDefaultByPosition == bByPosition)
        return TRUE;
    m_nDefaultItem = uItem;
    m_bDefaultByPosition = bByPosition;
    CLoadedMenu menu(m_nid.uID);
    HMENU hSubMenu = menu.FirstSubMenu();
    if (!hSubMenu)
        return FALSE;
    return ::SetMenuDefaultItem(hSubMenu, uItem, bByPosition);
}

void CSystemTray::GetDefaultMenuItem(UINT& uItem, BOOL& bByPosition) const
{
    uItem = m_nDefaultItem;
    bByPosition = m_bDefaultByPosition;
}

BOOL CSystemTray::SetShellFocus()
{
    if (!m_bSupported)
        return FALSE;
    m_nid.uFlags = 0;
    return NotifyShell(NIM_SETFOCUS);
}

// ---- notifications -------------------------------------------------------------------------

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_nid.uCallbackMessage != 0 && message == m_nid.uCallbackMessage)
        return OnIconNotify(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CSystemTray::OnIconNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nid.uID)
        return 0;
    CWnd* pTarget = GetCommandTarget();
    if (!pTarget || !::IsWindow(pTarget->m_hWnd))
        return 0;
    switch (LOWORD(lParam))
    {
    case WM_RBUTTONUP:
        return ShowContextMenu(pTarget) ? 1 : 0;
    case WM_LBUTTONDBLCLK:
        return PostDefaultCommand(pTarget) ? 1 : 0;
    default:
        return 1;
    }
}

void CSystemTray::PrepareMenu(HMENU) {}

BOOL CSystemTray::ShowContextMenu(CWnd* pTarget)
{
    CLoadedMenu menu(m_nid.uID);
    HMENU hSubMenu = menu.FirstSubMenu();
    if (!hSubMenu)
        return FALSE;
    ::SetMenuDefaultItem(hSubMenu, m_nDefaultItem, m_bDefaultByPosition);
    PrepareMenu(hSubMenu);
    POINT pt = {};
    ::GetCursorPos(&pt);
    // The menu closes when the user clicks elsewhere only if its owner is the
    // foreground window; the WM_NULL afterwards lets the owner's queue settle.
    pTarget->SetForegroundWindow();
    ::TrackPopupMenu(hSubMenu, 0, pt.x, pt.y, 0, pTarget->m_hWnd, nullptr);
    pTarget->PostMessage(WM_NULL);
    return TRUE;
}

BOOL CSystemTray::PostDefaultCommand(CWnd* pTarget)
{
    pTarget->SetForegroundWindow();
    UINT uCommand = m_nDefaultItem;
    if (m_bDefaultByPosition)
    {
        CLoadedMenu menu(m_nid.uID);
        HMENU hSubMenu = menu.FirstSubMenu();
        if (!hSubMenu)
            return FALSE;
        uCommand = ::GetMenuItemID(hSubMenu, static_cast<int>(m_nDefaultItem));
        // No such position, or the item opens a sub-menu: there is no command.
        if (uCommand == static_cast<UINT>(-1))
            return FALSE;
    }
    return pTarget->PostMessage(WM_COMMAND, uCommand, 0);
}

// ---- animation -----------------------------------------------------------------------------

BOOL CSystemTray::SetIconList(UINT uFirstIconID, UINT uLastIconID)
{
    if (uFirstIconID > uLastIconID || uLastIconID > kLastResourceId || !AfxGetApp())
        return FALSE;
    const UINT nCount = uLastIconID - uFirstIconID + 1;
    if (!m_icons.Allocate(nCount))
    {
        ReportOutOfMemory();
        return FALSE;
    }
    HINSTANCE hResources = AfxGetResourceHandle();
    for (UINT i = 0; i < nCount; ++i)
        m_icons.SetAt(i, ::LoadIconA(hResources, MAKEINTRESOURCEA(uFirstIconID + i)));
    return TRUE;
}

BOOL CSystemTray::SetIconList(const HICON* pIcons, UINT nCount)
{
    if (!pIcons && nCount)
        return FALSE;
    if (!m_icons.Allocate(nCount))
    {
        ReportOutOfMemory();
        return FALSE;
    }
    for (UINT i = 0; i < nCount; ++i)
        m_icons.SetAt(i, pIcons[i]);
    return TRUE;
}

BOOL CSystemTray::Animate(UINT nDelayMilliseconds, int nSeconds)
{
    if (m_icons.IsEmpty() || !m_hWnd)
        return FALSE;
    StopAnimation();
    m_nAnimationIndex = 0;
    m_animationStart = ::GetTickCount64();
    m_nAnimationSeconds = nSeconds;
    m_hSavedIcon = GetIcon();
    m_nAnimationTimer = SetTimer(kAnimationTimerId, nDelayMilliseconds);
    if (!m_nAnimationTimer)
    {
        m_hSavedIcon = nullptr;
        return FALSE;
    }
    return TRUE;
}

void CSystemTray::StepAnimation()
{
    if (m_icons.IsEmpty())
        return;
    ++m_nAnimationIndex;
    if (m_nAnimationIndex < 0 || static_cast<UINT>(m_nAnimationIndex) >= m_icons.GetSize())
        m_nAnimationIndex = 0;
    SetIcon(m_icons.GetAt(static_cast<UINT>(m_nAnimationIndex)));
}

BOOL CSystemTray::StopAnimation()
{
    BOOL bResult = FALSE;
    if (m_nAnimationTimer)
        bResult = KillTimer(m_nAnimationTimer);
    m_nAnimationTimer = 0;
    if (m_hSavedIcon)
        SetIcon(m_hSavedIcon);
    m_hSavedIcon = nullptr;
    return bResult;
}

void CSystemTray::OnTimer(UINT_PTR nIDEvent)
{
    if (m_nAnimationTimer == 0 || nIDEvent != m_nAnimationTimer)
    {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    if (TrayArithmetic::AnimationExpired(m_animationStart, ::GetTickCount64(), m_nAnimationSeconds))
        StopAnimation();
    else
        StepAnimation();
}

// ---- hiding windows into the tray ---------------------------------------------------------------

BOOL CSystemTray::IsMinimizeAnimationOn()
{
    ANIMATIONINFO info = {};
    info.cbSize = sizeof(info);
    return ::SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0) && info.iMinAnimate != 0;
}

BOOL CSystemTray::GetNotificationAreaRect(RECT* pRect)
{
    if (!pRect)
        return FALSE;
    if (AreaFromTaskbarWindows(pRect))
        return TRUE;

    APPBARDATA taskbar = {};
    taskbar.cbSize = sizeof(taskbar);
    TrayArithmetic::Rect area;
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar) &&
        TrayArithmetic::AreaFromTaskbar(taskbar.uEdge, ToArea(taskbar.rc), &area))
    {
        *pRect = ToRect(area);
        return TRUE;
    }

    RECT rcWork;
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0))
    {
        *pRect = ToRect(TrayArithmetic::AreaFromWorkArea(ToArea(rcWork)));
        return TRUE;
    }
    return FALSE;
}

BOOL CSystemTray::DetachFromTaskbar(CWnd* pWnd)
{
    if (!IsTopLevel(pWnd))
        return FALSE;
    if (!s_wndHiddenOwner.m_hWnd &&
        !s_wndHiddenOwner.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr))
        return FALSE;
    // An owned top-level window gets no taskbar button. Ownership (not SetParent)
    // keeps the window top-level, so its position stays in screen coordinates.
    SetOwner(pWnd->m_hWnd, s_wndHiddenOwner.m_hWnd);
    return TRUE;
}

BOOL CSystemTray::HideWindowToTray(CWnd* pWnd, BOOL bForceAnimation)
{
    if (!IsTopLevel(pWnd))
        return FALSE;
    if (bForceAnimation || IsMinimizeAnimationOn())
    {
        RECT rcFrom;
        RECT rcTo;
        pWnd->GetWindowRect(&rcFrom);
        if (GetNotificationAreaRect(&rcTo))
            ::DrawAnimatedRects(pWnd->m_hWnd, IDANI_CAPTION, &rcFrom, &rcTo);
    }
    const BOOL bDetached = DetachFromTaskbar(pWnd);
    // Hidden without moving; SetWindowPos (not a bare style change) lets the
    // windowing system take the window off the screen.
    ::SetWindowPos(pWnd->m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return bDetached;
}

BOOL CSystemTray::RestoreWindowFromTray(CWnd* pWnd, BOOL bForceAnimation)
{
    if (!IsTopLevel(pWnd))
        return FALSE;
    HWND hWnd = pWnd->m_hWnd;
    // Only our own hidden owner is taken away; a window owned by something else keeps its owner.
    const BOOL bOwnedByUs = s_wndHiddenOwner.m_hWnd && ::GetWindow(hWnd, GW_OWNER) == s_wndHiddenOwner.m_hWnd;
    if (bForceAnimation || IsMinimizeAnimationOn())
    {
        RECT rcTo;
        RECT rcFrom;
        pWnd->GetWindowRect(&rcTo);
        const BOOL bHaveStart = GetNotificationAreaRect(&rcFrom);
        if (bOwnedByUs)
            SetOwner(hWnd, nullptr);
        if (bHaveStart)
            ::DrawAnimatedRects(hWnd, IDANI_CAPTION, &rcFrom, &rcTo);
    }
    else if (bOwnedByUs)
    {
        SetOwner(hWnd, nullptr);
    }
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    ::RedrawWindow(hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    if (s_wndHiddenOwner.m_hWnd)
        ::SetActiveWindow(s_wndHiddenOwner.m_hWnd);
    ::SetActiveWindow(hWnd);
    ::SetForegroundWindow(hWnd);
    return TRUE;
}
