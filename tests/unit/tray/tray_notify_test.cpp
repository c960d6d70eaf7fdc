// Mouse notifications of the icon: a double click posts the default command to the
// command target, a right click shows the icon's menu with its default item; other
// icons, missing targets and missing menus do nothing.
#include "tray_test_resource.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>

namespace
{

bool WaitForCommands(const CCommandSink& sink, size_t nCount)
{
    const bool bArrived = PumpMessagesUntil([&] { return sink.m_commands.size() >= nCount; }, 3000);
    // Anything posted by mistake would arrive right behind.
    PumpMessagesFor(50);
    return bArrived;
}

} // namespace

TEST(TrayNotify, ClicksOnTheShellIconReachTheCommandTarget)
{
    CCommandSink sink;
    ASSERT_TRUE(sink.Create());
    CTestTray tray;
    ASSERT_TRUE(tray.Create(nullptr, kTestCallbackMessage, "clicks",
                            ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TEST_RED)),
                            IDR_TEST_TRAYMENU));
    ASSERT_TRUE(tray.SetCommandTarget(&sink));

    // The shell relays the double click to the icon's own window, which routes it
    // to OnIconNotify: the first item of the first sub-menu is the default.
    ASSERT_LE(1, PostToShellIconWindows(WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitForCommands(sink, 1));
    EXPECT_EQ(std::vector<UINT>{ID_TEST_OPEN_CONSOLE}, sink.m_commands);

    // Right button: the menu shows with the default item, PrepareMenu sees it first;
    // closing it without a choice sends no command, and WM_NULL follows.
    ASSERT_LE(1, PostToShellIconWindows(WM_RBUTTONUP));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return tray.m_nPrepareCalls == 1 && sink.m_nNullMessages == 1; }, 5000));
    EXPECT_EQ(0u, tray.m_uDefaultByPosition);
    EXPECT_EQ(static_cast<UINT>(ID_TEST_OPEN_CONSOLE), tray.m_uDefaultCommand);
    EXPECT_EQ(2, tray.m_nMenuItems);
    EXPECT_EQ(1u, sink.m_commands.size());
}

TEST(TrayNotify, DefaultItemTargetsAndForeignIcons)
{
    CCommandSink sink;
    ASSERT_TRUE(sink.Create());
    // The notification logic needs no shell: an icon that was never added will do.
    CTestTray tray;
    tray.m_nid.uID = IDR_TEST_TRAYMENU;

    // No command target and no application: nothing to do.
    EXPECT_EQ(nullptr, tray.GetCommandTarget());
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_RBUTTONUP));
    EXPECT_EQ(0, tray.m_nPrepareCalls);
    {
        // The application's main window is the target by default, once it has a window.
        CWinApp app;
        CCommandSink unborn;
        app.m_pMainWnd = &unborn;
        EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
        app.m_pMainWnd = &sink;
        EXPECT_EQ(&sink, tray.GetCommandTarget());
        EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
        EXPECT_TRUE(WaitForCommands(sink, 1));
        EXPECT_EQ(std::vector<UINT>{ID_TEST_OPEN_CONSOLE}, sink.m_commands);
        app.m_pMainWnd = nullptr;
    }
    ASSERT_TRUE(tray.SetCommandTarget(&sink));
    EXPECT_EQ(&sink, tray.GetCommandTarget());

    // Another icon's notification, and mouse messages without an action.
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_TRAYMENU + 1, WM_LBUTTONDBLCLK));
    EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_MOUSEMOVE));
    EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONUP));
    PumpMessagesFor(50);
    EXPECT_EQ(1u, sink.m_commands.size());

    // Default by command id: the double click posts it, the menu shows it bold.
    EXPECT_TRUE(tray.SetDefaultMenuItem(ID_TEST_EXIT, FALSE));
    UINT uItem = 0;
    BOOL bByPosition = TRUE;
    tray.GetDefaultMenuItem(uItem, bByPosition);
    EXPECT_EQ(static_cast<UINT>(ID_TEST_EXIT), uItem);
    EXPECT_FALSE(bByPosition);
    EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitForCommands(sink, 2));
    EXPECT_EQ(static_cast<UINT>(ID_TEST_EXIT), sink.m_commands.back());
    EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_RBUTTONUP));
    EXPECT_EQ(1, tray.m_nPrepareCalls);
    EXPECT_EQ(static_cast<UINT>(ID_TEST_EXIT), tray.m_uDefaultCommand);
    EXPECT_EQ(static_cast<UINT>(ID_TEST_OPEN_CONSOLE), tray.m_uFirstItemId);
    EXPECT_TRUE(PumpMessagesUntil([&] { return sink.m_nNullMessages == 1; }, 1000));

    // By position: the command of the item at that position.
    EXPECT_TRUE(tray.SetDefaultMenuItem(1, TRUE));
    EXPECT_EQ(1, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitForCommands(sink, 3));
    EXPECT_EQ(static_cast<UINT>(ID_TEST_EXIT), sink.m_commands.back());

    // A position the menu does not have: refused (but kept), and no command at all.
    EXPECT_FALSE(tray.SetDefaultMenuItem(5, TRUE));
    tray.GetDefaultMenuItem(uItem, bByPosition);
    EXPECT_EQ(5u, uItem);
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK));
    PumpMessagesFor(50);
    EXPECT_EQ(3u, sink.m_commands.size());

    // A menu without a sub-menu, and no menu at all: nothing shows.
    tray.m_nid.uID = IDR_TEST_FLATMENU;
    EXPECT_FALSE(tray.SetDefaultMenuItem(0, TRUE));
    EXPECT_TRUE(tray.SetDefaultMenuItem(0, TRUE)) << "unchanged values need no menu";
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_FLATMENU, WM_RBUTTONUP));
    EXPECT_EQ(0, tray.OnIconNotify(IDR_TEST_FLATMENU, WM_LBUTTONDBLCLK));
    tray.m_nid.uID = 140;
    EXPECT_EQ(0, tray.OnIconNotify(140, WM_RBUTTONUP));
    EXPECT_EQ(0, tray.OnIconNotify(140, WM_LBUTTONDBLCLK));
    EXPECT_EQ(1, tray.m_nPrepareCalls);
    PumpMessagesFor(50);
    EXPECT_EQ(3u, sink.m_commands.size());
}
