// Helpers of the tray tests: a tray that records every shell call and can play a
// shell that is not there, a window that records the commands it receives, a
// second icon that keeps Wine's tray window on screen, and bounded message pumps.
#pragma once

#include "MessagePump.h"
#include "SystemTray.h"

#include <vector>

// Callback message used by the tests' icons.
constexpr UINT kTestCallbackMessage = WM_APP + 10;

class CTestTray : public CSystemTray
{
public:
    struct ShellCall
    {
        DWORD dwMessage;
        NOTIFYICONDATAA nid;
        BOOL bResult;
    };

    using CSystemTray::m_animationStart;
    using CSystemTray::m_bHidden;
    using CSystemTray::m_bReAddPending;
    using CSystemTray::m_bRemoved;
    using CSystemTray::m_bShellV5;
    using CSystemTray::m_bSupported;
    using CSystemTray::m_icons;
    using CSystemTray::m_nAnimationIndex;
    using CSystemTray::m_nAnimationTimer;
    using CSystemTray::m_nCreationFlags;
    using CSystemTray::m_nid;

    std::vector<ShellCall> m_calls;
    // While set, every shell call fails without reaching the shell.
    BOOL m_bShellDown = FALSE;

    // Menus seen by PrepareMenu; each is closed again shortly after it opens.
    int m_nPrepareCalls = 0;
    UINT m_uDefaultByPosition = static_cast<UINT>(-1);
    UINT m_uDefaultCommand = static_cast<UINT>(-1);
    int m_nMenuItems = 0;
    UINT m_uFirstItemId = 0;

    const ShellCall& LastCall() const { return m_calls.back(); }

protected:
    BOOL NotifyShell(DWORD dwMessage) override;
    void PrepareMenu(HMENU hMenu) override;
};

// Records the commands and WM_NULL messages that reach it.
class CCommandSink : public CWnd
{
public:
    std::vector<UINT> m_commands;
    int m_nNullMessages = 0;

    BOOL Create();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnTrayCommand(UINT nID) { m_commands.push_back(nID); }
    DECLARE_MESSAGE_MAP()
};

// A visible icon of its own for the duration of a test. Wine takes two seconds to
// take its tray window off the screen when the last visible icon goes; with this
// icon present, the icons under test come and go quickly.
class CKeeperIcon
{
public:
    CKeeperIcon();
    ~CKeeperIcon();
    CKeeperIcon(const CKeeperIcon&) = delete;
    CKeeperIcon& operator=(const CKeeperIcon&) = delete;
    bool IsShown() const { return m_bAdded; }

private:
    CWnd m_wnd;
    bool m_bAdded = false;
};

// True when the shell holds an icon for this window and id (it accepts a change).
bool ShellHasIcon(HWND hWnd, UINT uID);
// Adds / deletes an icon directly at the shell, behind the component's back.
bool ShellAddIcon(HWND hWnd, UINT uID);
bool ShellDeleteIcon(HWND hWnd, UINT uID);

// Posts a mouse message to every icon window of Wine's tray, as a user's click
// would arrive there; returns how many icon windows there are.
int PostToShellIconWindows(UINT uMouseMessage);

// A text of the given length ("0123456789" repeated).
std::vector<char> MakeText(size_t nLength);
