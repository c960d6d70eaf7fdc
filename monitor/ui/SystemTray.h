// CSystemTray: owns one icon in the notification area (the tray). It registers the
// icon with the shell and tracks whether the shell shows it, turns the icon's mouse
// notifications into a pop-up menu and a default command, puts the icon back when
// the taskbar is recreated, and offers balloons, tooltips, icon animation and
// hiding whole windows into the tray.
//
// The menu of the icon is the menu resource whose id is the icon id; its first
// sub-menu is what the user sees. Commands go to the command target (by default
// the application's main window) as ordinary WM_COMMAND messages.
#pragma once

#include "WinApp.h"

#include <shellapi.h>

#include <cstdlib>
#include <memory>

// Icon handles for the animation, allocated without exceptions. The list never
// owns the icons it holds (they are shared resource icons or the caller's).
class CTrayIconList
{
public:
    CTrayIconList() = default;
    CTrayIconList(const CTrayIconList&) = delete;
    CTrayIconList& operator=(const CTrayIconList&) = delete;

    // Makes room for nCount handles, all NULL. FALSE, with the list empty, when
    // memory is exhausted.
    BOOL Allocate(UINT nCount);
    void RemoveAll();

    UINT GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    HICON GetAt(UINT nIndex) const { return nIndex < m_nCount ? m_pIcons[nIndex] : nullptr; }
    void SetAt(UINT nIndex, HICON hIcon)
    {
        if (nIndex < m_nCount)
            m_pIcons[nIndex] = hIcon;
    }

private:
    struct FreeDeleter
    {
        void operator()(HICON* pIcons) const { std::free(pIcons); }
    };
    std::unique_ptr<HICON[], FreeDeleter> m_pIcons;
    UINT m_nCount = 0;
};

class CSystemTray : public CWnd
{
    DECLARE_DYNAMIC(CSystemTray)

public:
    // Window timer of the icon animation, on the component's own window.
    static constexpr UINT_PTR kAnimationTimerId = 4567;
    // Size of the tooltip field: tooltips keep at most one byte less.
    static constexpr int kTooltipFieldSize = 128;

    CSystemTray();
    // Initialises, then creates the icon (see Create); the result of Create is lost.
    CSystemTray(CWnd* pParent, UINT uCallbackMessage, LPCSTR lpszToolTip, HICON hIcon, UINT uID,
                BOOL bHidden = FALSE, LPCSTR lpszBalloonText = nullptr, LPCSTR lpszBalloonTitle = nullptr,
                DWORD dwBalloonIcon = NIIF_NONE, UINT uBalloonSeconds = 10);
    // Removes the icon from the notification area and destroys the component's window.
    ~CSystemTray() override;

    // Creates the component's own hidden window and adds the icon. Notifications go
    // to pParent's window if one is given, else to the component's own window. A
    // balloon text shows the balloon once, at creation (version 5 shells).
    // bHidden: on a version 5 shell the icon is registered in the hidden state;
    // on older shells it is not registered until ShowIcon. FALSE when the shell is
    // too old, the window cannot be created, the object already has its window, or
    // the shell refuses the icon (the icon is then removed and a re-add is pending).
    BOOL Create(CWnd* pParent, UINT uCallbackMessage, LPCSTR lpszToolTip, HICON hIcon, UINT uID,
                BOOL bHidden = FALSE, LPCSTR lpszBalloonText = nullptr, LPCSTR lpszBalloonTitle = nullptr,
                DWORD dwBalloonIcon = NIIF_NONE, UINT uBalloonSeconds = 10);

    // ---- registration with the shell --------------------------------------------
    BOOL AddIcon();
    BOOL RemoveIcon();
    BOOL HideIcon();
    BOOL ShowIcon();
    BOOL ReAddIcon();

    // ---- icon, tooltip, balloon ---------------------------------------------------
    BOOL SetIcon(HICON hIcon);
    // Icon resource of the application (the resource's own size). The icon is
    // loaded shared, so the handle stays valid for re-adds and animations.
    BOOL SetIcon(LPCSTR lpszIconName);
    BOOL SetIcon(UINT nIDResource);
    // One of the system's icons (IDI_...).
    BOOL SetStandardIcon(LPCSTR lpszIconName);
    BOOL SetStandardIcon(UINT nIDResource);
    HICON GetIcon() const;

    BOOL SetTooltipText(LPCSTR lpszTip);
    // String resource of the application; FALSE if it does not exist.
    BOOL SetTooltipText(UINT nID);
    // The tooltip as the shell has it; empty when the tray is not supported. The
    // text lives as long as this object and changes with SetTooltipText.
    LPCSTR GetTooltipText() const;

    // Shows a balloon once (version 5 shells only); later changes do not show it again.
    BOOL ShowBalloon(LPCSTR lpszText, LPCSTR lpszTitle = nullptr, DWORD dwIcon = NIIF_NONE,
                     UINT uSeconds = 10);

    // ---- receivers of notifications and commands ----------------------------------
    // Moves the icon to another notification window. The shell knows an icon by its
    // window and id, so a registered icon is removed and added again under the new
    // window (keeping its hidden state).
    BOOL SetNotificationWnd(CWnd* pWnd);
    CWnd* GetNotificationWnd() const;
    // NULL: the application's main window.
    BOOL SetCommandTarget(CWnd* pTarget);
    CWnd* GetCommandTarget() const;
    BOOL SetCallbackMessage(UINT uCallbackMessage);
    UINT GetCallbackMessage() const;

    // ---- menu -------------------------------------------------------------------
    // Default item of the pop-up menu (a position or a command id). FALSE when the
    // menu resource, its first sub-menu or the item is missing; the values are kept
    // either way and apply whenever the menu shows.
    BOOL SetDefaultMenuItem(UINT uItem, BOOL bByPosition);
    void GetDefaultMenuItem(UINT& uItem, BOOL& bByPosition) const;
    BOOL SetShellFocus();

    // ---- animation ----------------------------------------------------------------
    // Icon resources uFirstIconID..uLastIconID of the application, in order (a
    // resource that does not load leaves a NULL entry). Exhausted memory is reported
    // to the user and leaves the list empty.
    BOOL SetIconList(UINT uFirstIconID, UINT uLastIconID);
    BOOL SetIconList(const HICON* pIcons, UINT nCount);
    // Cycles through the icon list every nDelayMilliseconds for nSeconds seconds
    // (0 or less: until StopAnimation), then shows the icon it started with.
    BOOL Animate(UINT nDelayMilliseconds, int nSeconds);
    void StepAnimation();
    // FALSE when no animation ran.
    BOOL StopAnimation();

    // ---- hiding windows into the tray (any top-level window) ------------------------
    static BOOL HideWindowToTray(CWnd* pWnd, BOOL bForceAnimation = FALSE);
    static BOOL RestoreWindowFromTray(CWnd* pWnd, BOOL bForceAnimation = FALSE);
    // Screen rectangle of the notification area, or the best estimate of it.
    static BOOL GetNotificationAreaRect(RECT* pRect);
    static BOOL IsMinimizeAnimationOn();
    // Makes the window owned by a hidden window, which takes its taskbar button away.
    static BOOL DetachFromTaskbar(CWnd* pWnd);

    // ---- message handling ---------------------------------------------------------
    // Routes the callback message to OnIconNotify.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // wParam: icon id; low word of lParam: the mouse message. Right button up shows
    // the menu, a double click posts the default command to the command target.
    // 0 when the notification is not for this icon or nothing could handle it.
    virtual LRESULT OnIconNotify(WPARAM wParam, LPARAM lParam);
    // Called with the pop-up menu's sub-menu just before it shows; does nothing
    // here. (The menu comes as a raw handle: this framework has no CMenu.)
    virtual void PrepareMenu(HMENU hMenu);

    // Number of the shell's "TaskbarCreated" broadcast, registered at program start.
    static const UINT s_uTaskbarCreated;

protected:
    // The one place that talks to the shell: Shell_NotifyIcon with m_nid.
    virtual BOOL NotifyShell(DWORD dwMessage);

    void OnTimer(UINT_PTR nIDEvent);
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);
    LRESULT OnTaskbarRecreated(WPARAM wParam, LPARAM lParam);
    // Adds the icon again (with its creation flags) when a re-add is pending and the
    // icon is not hidden.
    void ReAddIfPending();

    NOTIFYICONDATAA m_nid;
    BOOL m_bSupported = FALSE;
    BOOL m_bHidden = TRUE;
    BOOL m_bRemoved = TRUE;
    BOOL m_bReAddPending = FALSE;
    BOOL m_bShellV5 = FALSE;
    CWnd* m_pCommandTarget = nullptr;
    CTrayIconList m_icons;
    UINT_PTR m_nAnimationTimer = 0;
    int m_nAnimationIndex = 0;
    // Start of the animation on the monotonic millisecond clock (GetTickCount64):
    // wall-clock jumps must not stretch or cut an animation.
    ULONGLONG m_animationStart = 0;
    int m_nAnimationSeconds = 0;
    HICON m_hSavedIcon = nullptr;
    UINT m_nDefaultItem = 0;
    BOOL m_bDefaultByPosition = TRUE;
    UINT m_nCreationFlags = 0;

    static int s_nMaxTooltipLength;
    static CWnd s_wndHiddenOwner;

    DECLARE_MESSAGE_MAP()

private:
    void Initialise();
    // Marks the icon as shown after a successful add, or as removed with a re-add
    // pending after a failed one (so the next taskbar broadcast tries again).
    void RecordAddResult(BOOL bAdded);
    BOOL ShowContextMenu(CWnd* pTarget);
    BOOL PostDefaultCommand(CWnd* pTarget);
};
