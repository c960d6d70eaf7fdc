// The end outside debug mode against a client that registers meanwhile: the pipe
// server's request holds only if the table is still empty when the window acts on
// it, the user's Exit always holds, and once the end is decided no INIT is
// answered. (The decision is final, hence an exe of its own.) And what a thread
// still at work reads at the very end is still there.
#include "MainWindowLink.h"
#include "MonitorCatalogue.h"
#include "MonitorGlobals.h"
#include "PipeServer.h"
#include "RecordingWindow.h"
#include "TestPipeClient.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

TEST(ExitRace, OnlyARequestThatFindsTheTableStillEmptyEndsTheMonitorAndTheUsersExitAlwaysDoes)
{
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    CRecordingWindow window(true);
    MainWindowLink().Publish(window.GetHwnd(), false);
    ::CloseHandle(::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr));

    // The window is busy until the pipe server's request waits for it.
    HANDLE hHeld = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE hRelease = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    window.Post([&] {
        ::SetEvent(hHeld);
        if (WaitForSentMessage(5000))
            ::SetEvent(hHeld);
        ::WaitForSingleObject(hRelease, 5000);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHeld, 5000));
    CTestPipeClient leaving, client, late;
    ASSERT_TRUE(leaving.Open());
    ASSERT_EQ("SUCCESS", leaving.Transact("TERMINATE;")); // no client: the table stays empty
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHeld, 5000));
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;5|a|b"));
    ::SetEvent(hRelease);
    ASSERT_TRUE(window.WaitForExitCommand(5000));
    EXPECT_EQ(0, window.Exits()) << "the client registered after the request keeps the monitor";
    EXPECT_EQ("SUCCESS", client.Transact("SINFO;still served"));

    // The user's Exit, sent from another thread as the uninstaller sends it.
    ::SendMessageA(window.GetHwnd(), WM_COMMAND, ID_EXIT_MONITOR, 0);
    EXPECT_EQ(1, window.Exits());
    ASSERT_TRUE(late.Open());
    EXPECT_EQ("<broken>", late.Transact("INIT;6|a|b")) << "no SUCCESS that the end would ignore";
    MainWindowLink().Withdraw();
}

namespace
{

// Stands for a connection thread still at work when the monitor's static objects
// are destroyed (the process kills such threads only after that): constructed
// before the monitor's globals, so destroyed after them, it looks a text up then.
class CLateCatalogueReader
{
public:
    ~CLateCatalogueReader()
    {
        if (m_strCatalogue.empty())
            return;
        char szText[kCatalogueTextBytes];
        const bool bFound = LookupMessage("msg015", szText) != 0 && std::strcmp(szText, "still here") == 0;
        ::DeleteFileA(m_strCatalogue.c_str());
        if (!bFound)
        {
            std::fprintf(stderr, "after the static objects, the catalogue path was gone\n");
            std::fflush(stderr);
            std::_Exit(3);
        }
    }
    std::string m_strCatalogue;
};

CLateCatalogueReader g_lateReader __attribute__((init_priority(999)));

} // namespace

TEST(ExitRace, ACatalogueLookupAfterTheStaticObjectsAreDestroyedStillFindsItsText)
{
    char szDir[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, szDir));
    g_lateReader.m_strCatalogue = std::string(szDir) + "exit-race-catalogue-with-a-long-name.ini";
    std::FILE* pFile = std::fopen(g_lateReader.m_strCatalogue.c_str(), "w");
    ASSERT_NE(nullptr, pFile);
    std::fputs("[tessalymessage_1024]\nmsg015=still here\n", pFile);
    std::fclose(pFile);
    g_strMessageFile = g_lateReader.m_strCatalogue;
    g_strMessageSection = "tessalymessage_1024";
    char szText[kCatalogueTextBytes];
    EXPECT_NE(0u, LookupMessage("msg015", szText)); // the process's end looks again
}
