// The icon against the real shell (Wine's tray): creation with its balloon, the
// cuts of tooltip and balloon texts, coming back after the taskbar is recreated,
// hiding and showing, moving to another window, removal on destruction, and the
// icon animation.
#include "tray_test_resource.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace
{

HICON TestIcon(UINT nID)
{
    return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID));
}

bool IsLiveIcon(HICON hIcon)
{
    ICONINFO info = {};
    if (!hIcon || !::GetIconInfo(hIcon, &info))
        return false;
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return true;
}

UINT TaskbarCreatedMessage()
{
    return ::RegisterWindowMessageA("TaskbarCreated");
}

void ExpectShown(const CTestTray& tray)
{
    EXPECT_FALSE(tray.m_bRemoved);
    EXPECT_FALSE(tray.m_bHidden);
    EXPECT_FALSE(tray.m_bReAddPending);
}

} // namespace

TEST(TrayShell, CreationCutsTextsAndShowsTheBalloonOnlyOnce)
{
    const std::vector<char> tip = MakeText(200);
    const std::vector<char> balloon = MakeText(300);
    const std::vector<char> title = MakeText(100);
    const HICON hRed = TestIcon(IDI_TEST_RED);

    CTestTray tray;
    ASSERT_TRUE(tray.m_bShellV5) << "Wine reports an NT 5+ shell";
    ASSERT_TRUE(tray.Create(nullptr, kTestCallbackMessage, tip.data(), hRed, 77, FALSE, balloon.data(),
                            title.data(), NIIF_INFO, 20));
    ExpectShown(tray);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 77));

    ASSERT_EQ(1u, tray.m_calls.size());
    const CTestTray::ShellCall& add = tray.m_calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.dwMessage);
    EXPECT_EQ(sizeof(void*) == 8 ? 504u : 488u, add.nid.cbSize); // the V2 record
    EXPECT_EQ(tray.m_hWnd, add.nid.hWnd);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO), add.nid.uFlags);
    EXPECT_EQ(kTestCallbackMessage, add.nid.uCallbackMessage);
    EXPECT_EQ(hRed, add.nid.hIcon);
    EXPECT_EQ(std::string(tip.data(), 127), add.nid.szTip);
    EXPECT_EQ(std::string(balloon.data(), 255), add.nid.szInfo);
    EXPECT_EQ(std::string(title.data(), 63), add.nid.szInfoTitle);
    EXPECT_EQ(20000u, add.nid.uTimeout);
    EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), add.nid.dwInfoFlags);
    // Shown once: the balloon text is gone from the record right after the add.
    EXPECT_EQ('\0', tray.m_nid.szInfo[0]);
    EXPECT_EQ(add.nid.uFlags, tray.m_nCreationFlags);

    // Later changes carry only what they change, and never the balloon.
    EXPECT_TRUE(tray.SetTooltipText(tip.data()));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), tray.LastCall().dwMessage);
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), tray.LastCall().nid.uFlags);
    EXPECT_EQ(127u, std::strlen(tray.GetTooltipText()));
    EXPECT_TRUE(tray.SetTooltipText(IDS_TEST_TOOLTIP));
    EXPECT_STREQ("Tooltip from the string table", tray.GetTooltipText());
    EXPECT_FALSE(tray.SetTooltipText(static_cast<UINT>(IDS_TEST_TOOLTIP + 1)));
    EXPECT_STREQ("Tooltip from the string table", tray.GetTooltipText());

    // A balloon on demand: cut like the one at creation, and again shown only once.
    const size_t nCalls = tray.m_calls.size();
    EXPECT_TRUE(tray.ShowBalloon(balloon.data(), title.data(), NIIF_WARNING, 15));
    ASSERT_EQ(nCalls + 1, tray.m_calls.size());
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), tray.LastCall().nid.uFlags);
    EXPECT_EQ(255u, std::strlen(tray.LastCall().nid.szInfo));
    EXPECT_EQ(63u, std::strlen(tray.LastCall().nid.szInfoTitle));
    EXPECT_EQ(15000u, tray.LastCall().nid.uTimeout);
    EXPECT_EQ('\0', tray.m_nid.szInfo[0]);
    EXPECT_TRUE(tray.ShowBalloon("no title"));
    EXPECT_STREQ("", tray.LastCall().nid.szInfoTitle);
    EXPECT_TRUE(tray.SetIcon(hRed));
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), tray.LastCall().nid.uFlags);

    // An icon from the resources stays usable after the call (a re-add or the end of
    // an animation hands it to the shell again).
    EXPECT_TRUE(tray.SetIcon(static_cast<UINT>(IDI_TEST_BLUE)));
    EXPECT_NE(hRed, tray.GetIcon());
    EXPECT_TRUE(IsLiveIcon(tray.GetIcon()));
    EXPECT_FALSE(tray.SetIcon(static_cast<UINT>(IDI_TEST_MISSING)));
    EXPECT_TRUE(tray.SetStandardIcon(IDI_WARNING));
    EXPECT_EQ(::LoadIconA(nullptr, IDI_WARNING), tray.GetIcon());

    EXPECT_TRUE(tray.SetCallbackMessage(kTestCallbackMessage + 1));
    EXPECT_EQ(kTestCallbackMessage + 1, tray.GetCallbackMessage());
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE), tray.LastCall().nid.uFlags);
}

TEST(TrayShell, ComesBackAfterTheTaskbarIsRecreated)
{
    CKeeperIcon keeper;
    ASSERT_TRUE(keeper.IsShown());
    CCommandSink owner;
    ASSERT_TRUE(owner.Create());
    const HICON hRed = TestIcon(IDI_TEST_RED);

    {
        // The shell refuses the icon at creation (another icon already has this
        // window and id): removed, and a re-add waits for the next broadcast.
        ASSERT_TRUE(ShellAddIcon(owner.m_hWnd, 79));
        CTestTray tray;
        EXPECT_FALSE(tray.Create(&owner, kTestCallbackMessage, "Monitor", hRed, 79, FALSE, "Balloon", "Title",
                                 NIIF_INFO, 20));
        ASSERT_NE(nullptr, tray.m_hWnd);
        EXPECT_TRUE(tray.m_bRemoved);
        EXPECT_TRUE(tray.m_bReAddPending);
        EXPECT_FALSE(tray.m_bHidden);
        EXPECT_EQ(&owner, tray.GetNotificationWnd());

        // The shell comes back without that icon and says so: the icon is added,
        // with the same window, id, tooltip, icon and callback, and no balloon.
        ASSERT_TRUE(ShellDeleteIcon(owner.m_hWnd, 79));
        tray.SendMessage(TaskbarCreatedMessage());
        ExpectShown(tray);
        const CTestTray::ShellCall& readd = tray.LastCall();
        EXPECT_EQ(static_cast<DWORD>(NIM_ADD), readd.dwMessage);
        EXPECT_TRUE(readd.bResult);
        EXPECT_EQ(owner.m_hWnd, readd.nid.hWnd);
        EXPECT_EQ(79u, readd.nid.uID);
        EXPECT_EQ(tray.m_nCreationFlags, readd.nid.uFlags);
        EXPECT_STREQ("Monitor", readd.nid.szTip);
        EXPECT_EQ(hRed, readd.nid.hIcon);
        EXPECT_EQ(kTestCallbackMessage, readd.nid.uCallbackMessage);
        EXPECT_STREQ("", readd.nid.szInfo);
        EXPECT_TRUE(ShellHasIcon(owner.m_hWnd, 79));
    }
    // Destruction took the icon out of the shell (its window is still alive).
    EXPECT_FALSE(ShellHasIcon(owner.m_hWnd, 79));

    CTestTray tray;
    ASSERT_TRUE(tray.Create(nullptr, kTestCallbackMessage, "Monitor", hRed, 78, FALSE, "Balloon", "Title",
                            NIIF_INFO, 20));

    // A broadcast while the shell still has the icon: the shell refuses a second
    // add; the icon is still shown and changes still reach the shell.
    tray.SendMessage(TaskbarCreatedMessage());
    ExpectShown(tray);
    ASSERT_LE(2u, tray.m_calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray.m_calls[tray.m_calls.size() - 2].dwMessage);
    EXPECT_FALSE(tray.m_calls[tray.m_calls.size() - 2].bResult);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), tray.LastCall().dwMessage);
    EXPECT_TRUE(tray.LastCall().bResult);
    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ExpectShown(tray);
    EXPECT_TRUE(tray.SetTooltipText("after the work-area change"));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), tray.LastCall().dwMessage);

    // A real restart: the shell has lost the icon.
    ASSERT_TRUE(ShellDeleteIcon(tray.m_hWnd, 78));
    tray.SendMessage(TaskbarCreatedMessage());
    ExpectShown(tray);
    EXPECT_TRUE(tray.LastCall().bResult);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray.LastCall().dwMessage);
    EXPECT_STREQ("after the work-area change", tray.LastCall().nid.szTip);
    EXPECT_STREQ("", tray.LastCall().nid.szInfo);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 78));

    // The shell restarts but is not ready yet: the add fails and stays pending; a
    // later work-area change (or broadcast) adds it.
    ASSERT_TRUE(ShellDeleteIcon(tray.m_hWnd, 78));
    tray.m_bShellDown = TRUE;
    tray.SendMessage(TaskbarCreatedMessage());
    EXPECT_TRUE(tray.m_bRemoved);
    EXPECT_TRUE(tray.m_bReAddPending);
    EXPECT_FALSE(tray.m_bHidden);
    tray.m_bShellDown = FALSE;
    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ExpectShown(tray);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 78));

    // Other setting changes do not touch the shell.
    size_t nCalls = tray.m_calls.size();
    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(nCalls, tray.m_calls.size());

    // A hidden icon is not brought back by either message; it is pending after the
    // broadcast only, and showing it registers it again.
    ASSERT_TRUE(tray.HideIcon());
    nCalls = tray.m_calls.size();
    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(tray.m_bReAddPending);
    ASSERT_TRUE(ShellDeleteIcon(tray.m_hWnd, 78));
    tray.SendMessage(TaskbarCreatedMessage());
    EXPECT_TRUE(tray.m_bReAddPending);
    EXPECT_TRUE(tray.m_bHidden);
    EXPECT_EQ(nCalls, tray.m_calls.size());
    EXPECT_TRUE(tray.ShowIcon());
    ExpectShown(tray);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 78));

    // An explicit removal is not undone by a broadcast.
    ASSERT_TRUE(tray.RemoveIcon());
    tray.SendMessage(TaskbarCreatedMessage());
    EXPECT_TRUE(tray.m_bRemoved);
    EXPECT_FALSE(ShellHasIcon(tray.m_hWnd, 78));
    EXPECT_TRUE(tray.AddIcon());
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 78));
}

TEST(TrayShell, HidesShowsStartsHiddenAndMovesToAnotherWindow)
{
    CKeeperIcon keeper;
    ASSERT_TRUE(keeper.IsShown());
    CCommandSink other;
    ASSERT_TRUE(other.Create());

    CTestTray tray;
    ASSERT_TRUE(
        tray.Create(nullptr, kTestCallbackMessage, "hidden at first", TestIcon(IDI_TEST_RED), 80, TRUE));
    // Registered with the shell in the hidden state.
    EXPECT_FALSE(tray.m_bRemoved);
    EXPECT_TRUE(tray.m_bHidden);
    EXPECT_FALSE(tray.m_bReAddPending);
    EXPECT_TRUE(tray.LastCall().nid.uFlags & NIF_STATE);
    EXPECT_EQ(static_cast<DWORD>(NIS_HIDDEN), tray.LastCall().nid.dwState);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 80));

    // While hidden, changes are kept for later without a shell call.
    size_t nCalls = tray.m_calls.size();
    EXPECT_TRUE(tray.SetTooltipText("shown now"));
    EXPECT_EQ(nCalls, tray.m_calls.size());

    EXPECT_TRUE(tray.ShowIcon());
    ExpectShown(tray);
    EXPECT_EQ(static_cast<UINT>(NIF_STATE), tray.LastCall().nid.uFlags);
    EXPECT_EQ(0u, tray.LastCall().nid.dwState);
    EXPECT_EQ(static_cast<DWORD>(NIS_HIDDEN), tray.LastCall().nid.dwStateMask);

    EXPECT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.m_bHidden);
    EXPECT_FALSE(tray.m_bRemoved);
    nCalls = tray.m_calls.size();
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_EQ(nCalls, tray.m_calls.size());

    // The shell lost the hidden icon: showing it adds it again.
    ASSERT_TRUE(ShellDeleteIcon(tray.m_hWnd, 80));
    EXPECT_TRUE(tray.ShowIcon());
    ExpectShown(tray);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 80));
    EXPECT_STREQ("shown now", tray.LastCall().nid.szTip);

    // Moving the icon to another window: the shell knows it under the new window only.
    EXPECT_FALSE(tray.SetNotificationWnd(nullptr));
    EXPECT_TRUE(tray.SetNotificationWnd(&other));
    EXPECT_EQ(&other, tray.GetNotificationWnd());
    EXPECT_TRUE(ShellHasIcon(other.m_hWnd, 80));
    EXPECT_FALSE(ShellHasIcon(tray.m_hWnd, 80));
    ExpectShown(tray);

    // A hidden icon stays hidden when it moves.
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.SetNotificationWnd(&tray));
    EXPECT_TRUE(tray.m_bHidden);
    EXPECT_FALSE(tray.m_bRemoved);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 80));
    EXPECT_FALSE(ShellHasIcon(other.m_hWnd, 80));

    // A window object whose window no longer exists is refused.
    CWnd stale;
    stale.m_hWnd = other.m_hWnd;
    other.DestroyWindow();
    EXPECT_FALSE(tray.SetNotificationWnd(&stale));
    stale.m_hWnd = nullptr;
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, 80));
}

TEST(TrayShell, AnimationCyclesTheIconListAndRestoresTheIcon)
{
    CWinApp app;
    const HICON hRed = TestIcon(IDI_TEST_RED);
    const HICON hBlue = TestIcon(IDI_TEST_BLUE);
    // Registered hidden: every step changes the record without bothering the shell.
    CTestTray tray;
    ASSERT_TRUE(tray.Create(nullptr, kTestCallbackMessage, "animated", hRed, 81, TRUE));

    EXPECT_FALSE(tray.Animate(20, 0));
    EXPECT_EQ(0u, tray.m_nAnimationTimer);
    EXPECT_FALSE(::KillTimer(tray.m_hWnd, CSystemTray::kAnimationTimerId)) << "no timer may run";
    EXPECT_FALSE(tray.StopAnimation());

    EXPECT_FALSE(tray.SetIconList(IDI_TEST_BLUE, IDI_TEST_RED));
    ASSERT_TRUE(tray.SetIconList(IDI_TEST_RED, IDI_TEST_MISSING));
    ASSERT_EQ(3u, tray.m_icons.GetSize());
    EXPECT_EQ(hRed, tray.m_icons.GetAt(0));
    EXPECT_EQ(hBlue, tray.m_icons.GetAt(1));
    EXPECT_EQ(nullptr, tray.m_icons.GetAt(2));

    // Until stopped: the timer steps through the list.
    const HICON list[] = {hRed, hBlue};
    ASSERT_TRUE(tray.SetIconList(list, 2));
    ASSERT_TRUE(tray.SetStandardIcon(IDI_WARNING));
    const HICON hBefore = tray.GetIcon();
    ASSERT_TRUE(tray.Animate(20, 0));
    EXPECT_EQ(CSystemTray::kAnimationTimerId, tray.m_nAnimationTimer);
    EXPECT_TRUE(PumpMessagesUntil([&] { return tray.GetIcon() == hBlue; }, 2000));
    EXPECT_TRUE(PumpMessagesUntil([&] { return tray.GetIcon() == hRed; }, 2000));
    // An unlimited animation ignores how long it has run.
    tray.m_animationStart = ::GetTickCount64() - 1000000;
    const int nIndex = tray.m_nAnimationIndex;
    tray.SendMessage(WM_TIMER, CSystemTray::kAnimationTimerId);
    EXPECT_NE(nIndex, tray.m_nAnimationIndex);
    EXPECT_TRUE(tray.StopAnimation());
    EXPECT_EQ(0u, tray.m_nAnimationTimer);
    EXPECT_EQ(hBefore, tray.GetIcon());
    EXPECT_FALSE(::KillTimer(tray.m_hWnd, CSystemTray::kAnimationTimerId));

    // Three seconds: a tick at 3.4 s still steps, a tick at 3.6 s stops and restores.
    ASSERT_TRUE(tray.Animate(60000, 3));
    tray.m_animationStart = ::GetTickCount64() - 3400;
    tray.SendMessage(WM_TIMER, CSystemTray::kAnimationTimerId);
    EXPECT_EQ(hBlue, tray.GetIcon());
    EXPECT_NE(0u, tray.m_nAnimationTimer);
    // Another timer is none of the animation's business.
    tray.SendMessage(WM_TIMER, CSystemTray::kAnimationTimerId + 1);
    EXPECT_EQ(hBlue, tray.GetIcon());
    tray.m_animationStart = ::GetTickCount64() - 3600;
    tray.SendMessage(WM_TIMER, CSystemTray::kAnimationTimerId);
    EXPECT_EQ(0u, tray.m_nAnimationTimer);
    EXPECT_EQ(hBefore, tray.GetIcon());

    // Stepping wraps around at the end of the list (the last step showed the second icon).
    tray.StepAnimation();
    EXPECT_EQ(hRed, tray.GetIcon());
    tray.StepAnimation();
    EXPECT_EQ(hBlue, tray.GetIcon());
}

TEST(TrayShell, ExhaustedMemoryForTheIconListIsReportedAndLeavesItEmpty)
{
    CWinApp app("Tray test");
    CTestTray tray;
    const HICON list[] = {::LoadIconA(nullptr, IDI_APPLICATION)};
    ASSERT_TRUE(tray.SetIconList(list, 1));

    // Dismisses the message box that reports the failure, from another thread: the
    // box runs its own modal loop on this one.
    const DWORD dwTestThread = ::GetCurrentThreadId();
    std::atomic<bool> bSawBox(false);
    char szText[64] = "";
    std::thread dismisser([&] {
        const ULONGLONG end = ::GetTickCount64() + 10000;
        while (::GetTickCount64() < end)
        {
            HWND hBox = nullptr;
            ::EnumThreadWindows(
                dwTestThread,
                [](HWND hWnd, LPARAM lParam) WINAPI -> BOOL {
                    char szClass[16] = "";
                    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
                    if (std::strcmp(szClass, "#32770") != 0 || !::IsWindowVisible(hWnd))
                        return TRUE;
                    *reinterpret_cast<HWND*>(lParam) = hWnd;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&hBox));
            if (hBox)
            {
                ::GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof(szText));
                bSawBox = true;
                ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
    // About 4 GB of handles, more than a 32-bit process can have; 32 GB in 64-bit
    // code, more than this machine (24 GB, no swap) can commit.
    const BOOL bResult = tray.SetIconList(list, sizeof(void*) == 8 ? 0xFFFFFFFFu : 0x3FFFFFFFu);
    dismisser.join();

    EXPECT_FALSE(bResult);
    EXPECT_TRUE(bSawBox);
    EXPECT_STREQ("Out of memory.", szText);
    EXPECT_TRUE(tray.m_icons.IsEmpty());
    EXPECT_FALSE(tray.Animate(20, 0));
}
