// The main frame: its parts and styles, the Copy command's state in the menu and
// the tool bar, hiding on close, the real close, lines from many threads, its own
// pipe listener, the tray icon in debug mode, painting a burst of lines together
// while the window is on screen, following the end only while the user is
// there, and lines that many senders hand over at once going in together.
#include "ConsoleTestSupport.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "TestPipeClient.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

std::string ClassOf(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

bool IsMenuItemGrey(HMENU hMenu, UINT nPos)
{
    return (::GetMenuState(hMenu, nPos, MF_BYPOSITION) & MF_GRAYED) != 0;
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return "<no clipboard>";
    if (HANDLE hData = ::GetClipboardData(CF_TEXT))
    {
        if (const char* pszText = static_cast<const char*>(::GlobalLock(hData)))
        {
            text = pszText;
            ::GlobalUnlock(hData);
        }
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const char* pszText)
{
    if (!::OpenClipboard(nullptr))
        return;
    ::EmptyClipboard();
    const size_t cb = std::strlen(pszText) + 1;
    if (HGLOBAL hData = ::GlobalAlloc(GMEM_MOVEABLE, cb))
    {
        std::memcpy(::GlobalLock(hData), pszText, cb);
        ::GlobalUnlock(hData);
        ::SetClipboardData(CF_TEXT, hData);
    }
    ::CloseClipboard();
}

bool LastLineIsInView(HWND hView)
{
    const long nLast = PositionCount(hView) - 1;
    POINTL pt = {0, 0};
    ::SendMessageA(hView, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), nLast);
    RECT rc;
    ::GetClientRect(hView, &rc);
    return pt.y >= 0 && pt.y < rc.bottom;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = text.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2)
        lines.push_back(text.substr(nStart, nEnd - nStart));
    return lines;
}

} // namespace

TEST(ConsoleFrame, PartsStylesAndIdsAsStartUpCreatesThem)
{
    CConsoleWindow window;
    CMainFrame* pFrame = window.Frame();
    ASSERT_NE(nullptr, pFrame);
    const HWND hFrame = window.Hwnd();

    EXPECT_EQ("Tessaly", WindowText(hFrame));
    EXPECT_FALSE(::IsWindowVisible(hFrame)) << "start-up leaves it hidden";
    EXPECT_EQ(0u, pFrame->GetExStyle() & WS_EX_CLIENTEDGE);
    // A plain class: no class style, cursor, brush or icon; only a small icon.
    EXPECT_EQ(0u, ::GetClassLongA(hFrame, GCL_STYLE));
    EXPECT_EQ(0u, ::GetClassLongPtrA(hFrame, GCLP_HCURSOR));
    EXPECT_EQ(0u, ::GetClassLongPtrA(hFrame, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0u, ::GetClassLongPtrA(hFrame, GCLP_HICON));
    EXPECT_NE(0, ::SendMessageA(hFrame, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(0, ::SendMessageA(hFrame, WM_GETICON, ICON_BIG, 0));

    // The console: rich edit 2.0 by its standard class name (screen readers and
    // tools recognise it by that), the pane id, its styles, read-only, sunken.
    const HWND hView = window.ViewHwnd();
    ASSERT_NE(nullptr, hView);
    EXPECT_EQ(pFrame->m_wndView.m_hWnd, hView);
    EXPECT_EQ("RichEdit20A", ClassOf(hView));
    EXPECT_EQ(0u, ::GetClassLongA(hView, GCL_STYLE) & CS_OWNDC);
    const DWORD dwViewStyle = static_cast<DWORD>(::GetWindowLongA(hView, GWL_STYLE));
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | ES_MULTILINE),
              dwViewStyle & (WS_CHILD | WS_VISIBLE | ES_MULTILINE));
    EXPECT_NE(0u, dwViewStyle & ES_READONLY);
    EXPECT_NE(0u, static_cast<DWORD>(::GetWindowLongA(hView, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE);
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageA(hView, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    EXPECT_STREQ("Courier New", cf.szFaceName);
    EXPECT_EQ(200, cf.yHeight);
    EXPECT_GE(::SendMessageA(hView, EM_GETLIMITTEXT, 0, 0), 800000 + 8192);

    // The bars.
    const HWND hToolBar = ::GetDlgItem(hFrame, AFX_IDW_TOOLBAR);
    ASSERT_NE(nullptr, hToolBar);
    EXPECT_EQ(0x50402834u,
              pFrame->m_wndToolBar.GetBarStyle() | (pFrame->m_wndToolBar.GetStyle() & 0xF0000000u));
    EXPECT_EQ(4, ::SendMessageA(hToolBar, TB_BUTTONCOUNT, 0, 0)) << "made from the program's tool bar";
    const HWND hStatusBar = ::GetDlgItem(hFrame, AFX_IDW_STATUS_BAR);
    ASSERT_NE(nullptr, hStatusBar);
    EXPECT_EQ(static_cast<DWORD>(CBRS_BOTTOM), pFrame->m_wndStatusBar.GetBarStyle());
    EXPECT_EQ(4, ::SendMessageA(hStatusBar, SB_GETPARTS, 0, 0));

    // The window published to the pipe server.
    EXPECT_EQ(hFrame, MainWindowLink().GetWindow());
    EXPECT_FALSE(MainWindowLink().IsDebugMode());
    EXPECT_NE(nullptr, pFrame->m_hListenerThread);
}

TEST(ConsoleFrame, ClearingKeepsTheConsoleControlAsItWas)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hOld = window.ViewHwnd();
    ::SetFocus(hOld);
    RECT rcBefore;
    ::GetWindowRect(hOld, &rcBefore);
    const DWORD dwStyleBefore = static_cast<DWORD>(::GetWindowLongA(hOld, GWL_STYLE));
    std::string lines;
    for (int i = 0; i < 2000; ++i)
        lines += "a line of text to clear " + std::to_string(i) + "\r\n";
    window.View().AppendText(lines.c_str(), RGB(0, 0, 255), FALSE, FALSE);

    const ULONGLONG start = ::GetTickCount64();
    window.Command(ID_CLEAR_MESSAGES);
    std::printf("clearing %zu characters took %llu ms\n", lines.size(), ::GetTickCount64() - start);
    const HWND hView = window.ViewHwnd();
    ASSERT_NE(nullptr, hView);
    EXPECT_EQ(window.View().m_hWnd, hView);
    EXPECT_FALSE(::IsWindow(hOld) && hOld != hView) << "no second console left behind";
    EXPECT_EQ(EmptyCatalogueBanner(), ConsoleText(hView));
    EXPECT_EQ(static_cast<long>(EmptyCatalogueBanner().size()), window.View().GetSavedLength());
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hView) != FALSE; }, 1000));

    RECT rcAfter;
    ::GetWindowRect(hView, &rcAfter);
    EXPECT_TRUE(::EqualRect(&rcBefore, &rcAfter));
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(hView, GWL_STYLE));
    EXPECT_EQ(dwStyleBefore & (WS_CHILD | ES_MULTILINE | ES_READONLY),
              dwStyle & (WS_CHILD | ES_MULTILINE | ES_READONLY));
    EXPECT_NE(0u, dwStyle & ES_READONLY);
    EXPECT_NE(0u, static_cast<DWORD>(::GetWindowLongA(hView, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(hView, ::GetFocus());
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageA(hView, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    EXPECT_STREQ("Courier New", cf.szFaceName);
    EXPECT_GE(::SendMessageA(hView, EM_GETLIMITTEXT, 0, 0), 800000 + 8192);

    // It goes on working as the console: lines, commands.
    window.Send(2, "after the clear");
    EXPECT_EQ(EmptyCatalogueBanner() + "after the clear\r\n", ConsoleText(hView));
    window.Command(ID_CLEAR_MESSAGES);
    EXPECT_EQ(EmptyCatalogueBanner(), ConsoleText(window.ViewHwnd()));
}

// While the control may be inside a modal loop of its own (it has the mouse
// captured: the user drags its scroll bar or a selection), Clear keeps the control
// and deletes its text.
TEST(ConsoleFrame, ClearingDuringADragKeepsTheControlItself)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    window.Send(0, "a line");
    const HWND hView = window.ViewHwnd();
    ::SetCapture(hView);
    window.Command(ID_CLEAR_MESSAGES);
    ::ReleaseCapture();
    EXPECT_EQ(hView, window.ViewHwnd());
    EXPECT_EQ(EmptyCatalogueBanner(), ConsoleText(hView));
}

TEST(ConsoleFrame, CopyIsEnabledOnlyWhileTextIsSelected)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Send(0, "copy me");
    window.Show();
    const HWND hView = window.ViewHwnd();
    const long nEnd = PositionCount(hView);
    HMENU hEdit = ::GetSubMenu(::GetMenu(window.Hwnd()), 1);
    const HWND hToolBar = ::GetDlgItem(window.Hwnd(), AFX_IDW_TOOLBAR);
    const auto copyState = [&](bool& bMenuEnabled, bool& bButtonEnabled) {
        ::SendMessageA(window.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hEdit), 1);
        bMenuEnabled = !IsMenuItemGrey(hEdit, 2);
        theApp.OnIdle(0);
        bButtonEnabled = ::SendMessageA(hToolBar, TB_ISBUTTONENABLED, ID_EDIT_COPY, 0) != 0;
    };

    bool bMenu = true;
    bool bButton = true;
    CHARRANGE none = {nEnd, nEnd};
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
    copyState(bMenu, bButton);
    EXPECT_FALSE(bMenu);
    EXPECT_FALSE(bButton);
    SetClipboardText("before");
    window.Command(ID_EDIT_COPY);
    EXPECT_EQ("before", ClipboardText()) << "a disabled Copy does nothing";

    CHARRANGE word = {nEnd - 8, nEnd - 1}; // "copy me" before the line end
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&word));
    copyState(bMenu, bButton);
    EXPECT_TRUE(bMenu);
    EXPECT_TRUE(bButton);
    window.Command(ID_EDIT_COPY);
    EXPECT_EQ("copy me", ClipboardText());

    // The rest of the menus: Clear Messages, Save, Log to File and Exit are always there.
    EXPECT_FALSE(IsMenuItemGrey(hEdit, 0));
    HMENU hFile = ::GetSubMenu(::GetMenu(window.Hwnd()), 0);
    ::SendMessageA(window.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hFile), 0);
    EXPECT_FALSE(IsMenuItemGrey(hFile, 0));
    EXPECT_FALSE(IsMenuItemGrey(hFile, 1));
    EXPECT_FALSE(IsMenuItemGrey(hFile, 3));
}

TEST(ConsoleFrame, ClosingOnlyHidesAndLinesKeepArriving)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    ASSERT_TRUE(::IsWindowVisible(window.Hwnd()));
    ::SendMessageA(window.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(window.Hwnd()));
    EXPECT_FALSE(::IsWindowVisible(window.Hwnd()));
    EXPECT_EQ(window.Hwnd(), MainWindowLink().GetWindow());

    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(MainWindowLink().SendConsoleLine(2, ("while hidden " + std::to_string(i)).c_str()));
    const std::string text = ConsoleText(window.ViewHwnd());
    EXPECT_EQ("while hidden 99\r\n", text.substr(text.size() - 17));

    // Opened again, it shows the newest lines.
    window.Show();
    EXPECT_TRUE(::IsWindowVisible(window.Hwnd()));
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.ViewHwnd()) != FALSE; }, 1000));
    EXPECT_TRUE(LastLineIsInView(window.ViewHwnd()));
}

TEST(ConsoleFrame, ExitDestroysTheWindowAndWithdrawsItFromThePipeServer)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hFrame = window.Hwnd();
    ASSERT_EQ(hFrame, MainWindowLink().GetWindow());
    window.Command(ID_EXIT_MONITOR);
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(nullptr, MainWindowLink().GetWindow());
    EXPECT_FALSE(MainWindowLink().SendConsoleLine(0, "dropped")) << "threads drop their lines from now on";
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the message loop ends";
    DrainQuit();
}

namespace
{

// Senders on threads of their own: sender t sends its lines i = 0 .. nLinesEach - 1
// with send(t, i); nDone counts the senders that have sent them all.
std::vector<std::thread> StartSenders(int nSenders, int nLinesEach, std::atomic<int>& nDone,
                                      const std::function<void(int, int)>& send)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < nSenders; ++t)
    {
        threads.emplace_back([=, &nDone] {
            for (int i = 0; i < nLinesEach; ++i)
                send(t, i);
            ++nDone;
        });
    }
    return threads;
}

void JoinAll(std::vector<std::thread>& threads)
{
    for (auto& thread : threads)
        thread.join();
}

} // namespace

TEST(ConsoleFrame, LinesFromEightThreadsAtOnceAllArriveWhole)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const std::string banner = ConsoleText(window.ViewHwnd());
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 150;
    std::atomic<int> nDone{0};
    std::vector<std::thread> threads = StartSenders(kThreads, kLinesEach, nDone, [&](int t, int i) {
        const std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                                 std::string(static_cast<std::size_t>(i % 40), 'x');
        ::SendMessageA(window.Hwnd(), g_uAppMonUpdateMessage, static_cast<WPARAM>(t % 5),
                       reinterpret_cast<LPARAM>(text.c_str()));
    });
    const bool bFinished = PumpUntil([&] { return nDone == kThreads; }, 30000);
    JoinAll(threads);
    ASSERT_TRUE(bFinished);

    const std::string text = ConsoleText(window.ViewHwnd());
    ASSERT_EQ(banner, text.substr(0, banner.size()));
    const std::vector<std::string> lines = SplitLines(text.substr(banner.size()));
    ASSERT_EQ(static_cast<std::size_t>(kThreads * kLinesEach), lines.size());
    std::map<int, int> nextOfThread;
    for (const std::string& line : lines)
    {
        int t = -1;
        int i = -1;
        int nHead = 0;
        ASSERT_EQ(2, std::sscanf(line.c_str(), "thread %d line %d%n", &t, &i, &nHead)) << line;
        EXPECT_EQ(nextOfThread[t]++, i) << "each sender's lines keep their order";
        EXPECT_EQ(" " + std::string(static_cast<std::size_t>(i % 40), 'x'), line.substr(nHead)) << line;
    }
    EXPECT_EQ(static_cast<long>(text.size()), window.View().GetSavedLength());
}

TEST(ConsoleGroup, ManySendersAtOnceEveryLineOnceInOrderInItsColour)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const std::string banner = ConsoleText(window.ViewHwnd());
    const long nBannerPositions = PositionCount(window.ViewHwnd());
    constexpr int kSenders = 16;
    constexpr int kLinesEach = 60;
    std::atomic<int> nDone{0};
    std::vector<std::thread> threads = StartSenders(kSenders, kLinesEach, nDone, [](int t, int i) {
        MainWindowLink().SendConsoleLine(
            t % 5, ("sender " + std::to_string(t) + " line " + std::to_string(i) + std::string(i % 7, '.')).c_str());
    });
    // The lines pile up while this thread sleeps, and go in together when it pumps.
    const DWORD dwStart = ::GetTickCount();
    while (nDone < kSenders && ::GetTickCount() - dwStart < 30000)
    {
        ::Sleep(5);
        PumpFor(0);
    }
    JoinAll(threads);
    ASSERT_EQ(kSenders, nDone.load());

    const COLORREF colours[] = {RGB(0, 0, 0), RGB(136, 0, 0), RGB(255, 0, 0), RGB(0, 128, 128),
                                RGB(255, 64, 0)};
    const std::string text = ConsoleText(window.ViewHwnd());
    ASSERT_EQ(banner, text.substr(0, banner.size()));
    const std::vector<std::string> lines = SplitLines(text.substr(banner.size()));
    ASSERT_EQ(static_cast<std::size_t>(kSenders * kLinesEach), lines.size());
    std::map<int, int> nextOfSender;
    long nPos = nBannerPositions;
    for (const std::string& line : lines)
    {
        int t = -1;
        int i = -1;
        ASSERT_EQ(2, std::sscanf(line.c_str(), "sender %d line %d", &t, &i)) << line;
        EXPECT_EQ(nextOfSender[t]++, i) << "each sender's lines once, in order";
        EXPECT_EQ(colours[t % 5], FormatAt(window.ViewHwnd(), nPos).crTextColor) << line;
        EXPECT_EQ(colours[t % 5],
                  FormatAt(window.ViewHwnd(), nPos + static_cast<long>(line.size())).crTextColor)
            << line;
        nPos += static_cast<long>(line.size()) + 1;
    }
}

TEST(ConsoleGroup, SendersWaitingAsTheWindowGoesAllReturnAndLeaveNothingForTheNextOne)
{
    constexpr int kSenders = 8;
    std::atomic<int> nStarted{0};
    std::atomic<int> nReturned{0};
    std::vector<std::thread> threads;
    {
        CConsoleWindow first;
        ASSERT_NE(nullptr, first.Frame());
        for (int t = 0; t < kSenders; ++t)
        {
            threads.emplace_back([&, t] {
                ++nStarted;
                MainWindowLink().SendConsoleLine(0, ("for the first window " + std::to_string(t)).c_str());
                ++nReturned;
            });
        }
        // This thread does not pump: the senders wait, their lines handed over.
        while (nStarted < kSenders)
            ::Sleep(1);
        ::Sleep(200);
        first.Destroy();
    }
    EXPECT_TRUE(PumpUntil([&] { return nReturned == kSenders; }, 5000)) << "senders left waiting";
    for (auto& thread : threads)
        thread.join();

    CConsoleWindow second;
    ASSERT_NE(nullptr, second.Frame());
    const std::string banner = ConsoleText(second.ViewHwnd());
    second.Send(3, "the second window's own line");
    EXPECT_EQ(banner + "the second window's own line\r\n", ConsoleText(second.ViewHwnd()));
}

TEST(ConsoleFrame, ItsOwnListenerServesClientsAndTheLastOneEndsTheMonitor)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hFrame = window.Hwnd();

    // The client runs on a thread of its own: its log line is shown through this
    // (the user-interface) thread before the reply comes.
    std::atomic<bool> bDone{false};
    std::atomic<bool> bMayLeave{false};
    std::string initReply;
    std::string lineReply;
    std::thread client([&] {
        CTestPipeClient pipe;
        if (pipe.Open(5000))
        {
            initReply = pipe.Transact("INIT;77|C:\\apps\\host.exe|console test");
            lineReply = pipe.Transact("INFO;[[12-07-2026 01:23:45]:host:77]-> hello through the pipe");
        }
        bDone = true;
        // Stays connected until the console has been looked at.
        while (!bMayLeave)
            ::Sleep(1);
    }); // the pipe closes when the thread ends: the client has gone
    const bool bFinished = PumpUntil([&] { return bDone.load(); }, 10000);
    const bool bFrameThere = ::IsWindow(hFrame) != FALSE;
    const std::string text = ConsoleText(window.ViewHwnd());
    bMayLeave = true;
    client.join();
    ASSERT_TRUE(bFinished);
    EXPECT_EQ("SUCCESS", initReply);
    EXPECT_EQ("SUCCESS", lineReply);
    ASSERT_TRUE(bFrameThere);
    EXPECT_NE(std::string::npos, text.find("[[12-07-2026 01:23:45]:host:77]-> hello through the pipe\r\n"))
        << text;

    // Outside debug mode the last client's leaving ends the monitor: Exit arrives.
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hFrame); }, 10000));
    DrainQuit();
}

namespace
{

// Counts the console's paint messages.
std::atomic<int> g_nPaints{0};

LRESULT CALLBACK CountPaints(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_PAINT)
        ++g_nPaints;
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

} // namespace

TEST(ConsoleFrame, OnScreenABurstOfLinesIsPaintedTogetherAndScrolledToTheEnd)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hView = window.ViewHwnd();
    ASSERT_TRUE(::SetWindowSubclass(hView, &CountPaints, 1, 0));
    PumpFor(100);
    g_nPaints = 0;

    // One burst from this thread: every line is in the control at once, the
    // painting follows shortly.
    std::string expected = ConsoleText(hView);
    for (int i = 0; i < 200; ++i)
    {
        const std::string text = "burst line " + std::to_string(i);
        window.Send(static_cast<WPARAM>(i % 5), text.c_str());
        expected += text + "\r\n";
    }
    EXPECT_EQ(expected, ConsoleText(hView)) << "all lines are in the control when the messages return";
    EXPECT_LE(g_nPaints.load(), 3) << "no painting per line";
    EXPECT_TRUE(PumpUntil([&] { return g_nPaints.load() >= 1 && ::IsWindowVisible(hView); }, 1000))
        << "painted within a fraction of a second";
    EXPECT_TRUE(LastLineIsInView(hView)) << "scrolled to the end";
    long nStart = -1;
    long nEnd = -1;
    window.View().GetSel(nStart, nEnd);
    EXPECT_EQ(PositionCount(hView), nStart) << "caret at the end";
    EXPECT_EQ(nStart, nEnd);

    // A steady stream from several threads, which keeps the user-interface thread
    // busy: the window is still painted every so often, and never per line. The
    // senders stop on their own clock: while they send, this thread's message
    // pump may not get back to its caller.
    g_nPaints = 0;
    std::atomic<int> nSent{0};
    std::atomic<int> nFinished{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
    {
        senders.emplace_back([&, t] {
            for (const ULONGLONG end = ::GetTickCount64() + 1500; ::GetTickCount64() < end;)
            {
                const std::string text = "stream " + std::to_string(t) + " " + std::to_string(nSent++);
                ::SendMessageA(window.Hwnd(), g_uAppMonUpdateMessage, static_cast<WPARAM>(t),
                               reinterpret_cast<LPARAM>(text.c_str()));
            }
            ++nFinished;
        });
    }
    EXPECT_TRUE(PumpUntil([&] { return nFinished == 4; }, 10000));
    for (auto& sender : senders)
        sender.join();
    const int nPaintsDuringStream = g_nPaints.load();
    EXPECT_GE(nPaintsDuringStream, 3) << nSent.load() << " lines";
    EXPECT_LE(nPaintsDuringStream * 20, nSent.load()) << "painted in batches, not per line";
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hView) && LastLineIsInView(hView); }, 1000));
    ::RemoveWindowSubclass(hView, &CountPaints, 1);
}

TEST(ConsoleFrame, DebugModeAddsTheTrayIconWhoseCommandsReachTheFrame)
{
    CConsoleWindow window(true);
    CMainFrame* pFrame = window.Frame();
    ASSERT_NE(nullptr, pFrame);
    EXPECT_TRUE(MainWindowLink().IsDebugMode());
    const HWND hTray = pFrame->m_trayIcon.m_hWnd;
    ASSERT_NE(nullptr, hTray);
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = hTray;
    nid.uID = IDR_TRAYMENU;
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &nid)) << "the shell holds the icon";
    EXPECT_STREQ("Marvane App Monitor", pFrame->m_trayIcon.GetTooltipText());
    EXPECT_EQ(static_cast<UINT>(WM_TRAYNOTIFY), pFrame->m_trayIcon.GetCallbackMessage());
    EXPECT_EQ(pFrame, pFrame->m_trayIcon.GetCommandTarget());

    // A double click sends the default item, "Open Console", to the application.
    const int nOpenedBefore = theApp.m_nOpenConsoles;
    EXPECT_EQ(1, ::SendMessageA(hTray, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(PumpUntil([&] { return theApp.m_nOpenConsoles == nOpenedBefore + 1; }, 3000));

    window.Destroy();
    EXPECT_FALSE(::IsWindow(hTray));
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &nid)) << "the icon went with the frame";
}

namespace
{

CHARRANGE SelectionOf(HWND hView)
{
    CHARRANGE range = {};
    ::SendMessageA(hView, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

bool operator==(const CHARRANGE& a, const CHARRANGE& b)
{
    return a.cpMin == b.cpMin && a.cpMax == b.cpMax;
}

long FirstVisibleLine(HWND hView)
{
    return static_cast<long>(::SendMessageA(hView, EM_GETFIRSTVISIBLELINE, 0, 0));
}

// Lines as hosts send them, then painted as the console paints a burst.
void SendPaintedLines(const CConsoleWindow& window, int nLines, WPARAM nClass)
{
    for (int i = 0; i < nLines; ++i)
        window.Send(nClass, ("line " + std::to_string(i)).c_str());
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.ViewHwnd()) != FALSE; }, 1000));
}

} // namespace

TEST(ConsoleFollow, LinesScrollIntoViewOnlyWhileTheUserIsAtTheEnd)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hView = window.ViewHwnd();
    SendPaintedLines(window, 100, 0);
    ASSERT_TRUE(LastLineIsInView(hView)) << "a new console follows its end";

    // A selection: lines arrive below it, the view and the selection stay, the
    // scroll bar grows, Copy copies what the user chose, colours stay put.
    const long nLineStart =
        static_cast<long>(::SendMessageA(hView, EM_LINEINDEX, FirstVisibleLine(hView) + 2, 0));
    CHARRANGE chosen = {nLineStart, nLineStart + 4};
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&chosen));
    const long nFirstVisible = FirstVisibleLine(hView);
    SCROLLINFO before = {sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(hView, SB_VERT, &before);
    const long nRedStart = PositionCount(hView);
    SendPaintedLines(window, 30, 2);
    EXPECT_TRUE(chosen == SelectionOf(hView));
    EXPECT_EQ(nFirstVisible, FirstVisibleLine(hView));
    SCROLLINFO after = before;
    ::GetScrollInfo(hView, SB_VERT, &after);
    EXPECT_GT(after.nMax, before.nMax);
    SetClipboardText("nothing copied");
    window.Command(ID_EDIT_COPY);
    EXPECT_EQ("line", ClipboardText());
    EXPECT_EQ(RGB(0, 0, 0), FormatAt(hView, nRedStart - 1).crTextColor);
    EXPECT_EQ(RGB(255, 0, 0), FormatAt(hView, nRedStart).crTextColor);

    // Ctrl+End: followed again.
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageA(hView, WM_KEYDOWN, VK_END, 1);
    keys[VK_CONTROL] &= 0x7F;
    ::SetKeyboardState(keys);
    SendPaintedLines(window, 10, 0);
    EXPECT_TRUE(LastLineIsInView(hView));

    // Scrolled up, nothing selected: the caret and the view stay.
    ::SendMessageA(hView, WM_VSCROLL, SB_PAGEUP, 0);
    const CHARRANGE caret = SelectionOf(hView);
    const long nScrolledTo = FirstVisibleLine(hView);
    SendPaintedLines(window, 30, 0);
    EXPECT_TRUE(caret == SelectionOf(hView));
    EXPECT_EQ(nScrolledTo, FirstVisibleLine(hView));

    // The scroll bar back at the bottom: followed again; the caret stays.
    ::SendMessageA(hView, WM_VSCROLL, SB_BOTTOM, 0);
    SendPaintedLines(window, 10, 0);
    EXPECT_TRUE(LastLineIsInView(hView));
    EXPECT_TRUE(caret == SelectionOf(hView));

    // Scrolled up, then cleared: the new text is followed.
    ::SendMessageA(hView, WM_VSCROLL, SB_PAGEUP, 0);
    window.Command(ID_CLEAR_MESSAGES);
    SendPaintedLines(window, 100, 0);
    EXPECT_TRUE(LastLineIsInView(window.ViewHwnd()));
}

// A caret that the user put into the text stays there while lines arrive; the
// view, at the bottom, still follows the end.
TEST(ConsoleFollow, ACaretPutIntoTheTextStaysWhileTheViewFollows)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hView = window.ViewHwnd();
    SendPaintedLines(window, 100, 0);
    ::SetFocus(hView);
    const long nLineStart =
        static_cast<long>(::SendMessageA(hView, EM_LINEINDEX, FirstVisibleLine(hView) + 2, 0));
    ::SendMessageA(hView, EM_SETSEL, nLineStart, nLineStart);
    SendPaintedLines(window, 5, 0);
    EXPECT_EQ(nLineStart, SelectionOf(hView).cpMin);
    EXPECT_EQ(nLineStart, SelectionOf(hView).cpMax);
    EXPECT_TRUE(LastLineIsInView(hView));
}

TEST(ConsoleFollow, AGroupOfLinesFollowsTheTailOnlyWhileTheUserIsThere)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    window.Show();
    const HWND hView = window.ViewHwnd();
    SendPaintedLines(window, 100, 0);
    std::vector<std::pair<int, std::string>> group;
    for (int i = 0; i < 30; ++i)
        group.emplace_back(i % 5, "grouped " + std::to_string(i));

    // A selection: the group arrives below it; the selection and the view stay.
    const long nLineStart =
        static_cast<long>(::SendMessageA(hView, EM_LINEINDEX, FirstVisibleLine(hView) + 2, 0));
    const CHARRANGE chosen = {nLineStart, nLineStart + 4};
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&chosen));
    const long nFirstVisible = FirstVisibleLine(hView);
    ASSERT_TRUE(AppendAsGroup(window, group));
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hView) != FALSE; }, 1000));
    EXPECT_TRUE(chosen == SelectionOf(hView));
    EXPECT_EQ(nFirstVisible, FirstVisibleLine(hView));

    // The caret back at the end: the next group scrolls into view.
    const CHARRANGE end = {PositionCount(hView), PositionCount(hView)};
    ::SendMessageA(hView, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    ::SendMessageA(hView, WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_TRUE(AppendAsGroup(window, group));
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hView) != FALSE; }, 1000));
    EXPECT_TRUE(LastLineIsInView(hView));
    EXPECT_EQ(PositionCount(hView), SelectionOf(hView).cpMin);
}
