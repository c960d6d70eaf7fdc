// What the monitor does with each request: registration, the goodbye notes with
// and without a catalogue, the colour classes, the logger gate, the reply.
#include "ClientTable.h"
#include "ClientTableProbe.h"
#include "ConnectionState.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "ProcessPipeCommand.h"
#include "RecordingWindow.h"
#include "TestCatalogue.h"
#include "ZOVLogger.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

const char kNotes[] = "msg015=Client %d terminated\n"
                      "msg016=-- terminate done --\n"
                      "msg017=Client %d cleaned up\n"
                      "msg018=Removing client %d\n"
                      "msg019=-- clean done --\n"
                      "msg022=-- record freed --\n";

class ProcessPipeCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!g_hClientTableMutex)
            g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
        m_link.Publish(m_window.GetHwnd(), false);
        m_state.m_pConnection = &m_connection;
    }
    void TearDown() override
    {
        CClientTableLock lock;
        g_clientTable.clear();
    }

    int Process(const char* pszRequest, const CMainWindowLink* pLink)
    {
        char reply[4096];
        std::memset(reply, 'x', sizeof(reply));
        DWORD cbReply = 0;
        const int nResult = ProcessPipeCommand(pszRequest, reply, &cbReply, m_state, pLink);
        EXPECT_EQ(7u, cbReply) << pszRequest;
        EXPECT_EQ(0, std::memcmp(reply, "SUCCESS", 7)) << pszRequest;
        return nResult;
    }
    int Process(const char* pszRequest) { return Process(pszRequest, &m_link); }

    // Registers the state's client as the connection thread does after result 0.
    void Register()
    {
        ASSERT_TRUE(m_state.m_pClient);
        RegisterClient(m_state.m_pClient->m_lClientId, &m_connection);
    }

    CRecordingWindow m_window;
    CMainWindowLink m_link;
    ConnectionState m_state;
    PipeConnection m_connection;
};

} // namespace

TEST_F(ProcessPipeCommandTest, InitRegistersFieldsAndASecondInitReplacesTheRecord)
{
    EXPECT_EQ(0, Process("INIT;42|C:\\Apps\\tool.exe|7.1"));
    ASSERT_TRUE(m_state.m_pClient);
    EXPECT_EQ(42, m_state.m_pClient->m_lClientId);
    EXPECT_EQ("C:\\Apps\\tool.exe", m_state.m_pClient->m_strClientPath);
    EXPECT_EQ("7.1", m_state.m_pClient->m_strClientText);
    EXPECT_FALSE(m_state.m_bClosing);

    EXPECT_EQ(0, Process("INIT;-7|p|t"));
    EXPECT_EQ(-7, m_state.m_pClient->m_lClientId);
    EXPECT_TRUE(m_window.Lines().empty()) << "registration shows nothing";
}

TEST_F(ProcessPipeCommandTest, TerminateShowsItsTwoNotesRemovesTheClientAndCloses)
{
    CTestCatalogue catalogue(kNotes);
    Process("INIT;42|a|b");
    Register();
    EXPECT_EQ(-1, Process("TERMINATE;"));
    EXPECT_FALSE(m_state.m_pClient);
    EXPECT_TRUE(IsClientTableEmpty());
    const auto lines = m_window.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("Client 42 terminated", lines[0].strText);
    EXPECT_EQ("-- terminate done --", lines[1].strText);
    EXPECT_EQ(1, lines[0].nColourClass);
    EXPECT_EQ(1, lines[1].nColourClass);
}

TEST_F(ProcessPipeCommandTest, CleanShowsFourNotesInOrderTheLastAfterTheRecordIsGone)
{
    CTestCatalogue catalogue(kNotes);
    Process("INIT;-1|a|b");
    Register();
    {
        CClientTableLock lock;
        EXPECT_EQ(1u, g_clientTable.count(4294967295u)) << "keyed by the id's unsigned bits";
    }
    EXPECT_EQ(-1, Process("CLEAN;"));
    EXPECT_TRUE(IsClientTableEmpty());
    const auto lines = m_window.Lines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("Client -1 cleaned up", lines[0].strText);
    EXPECT_EQ("Removing client -1", lines[1].strText);
    EXPECT_EQ("-- clean done --", lines[2].strText);
    EXPECT_EQ("-- record freed --", lines[3].strText);
}

TEST_F(ProcessPipeCommandTest, WithoutCatalogueOnlyTheAlwaysShownNotesAppearAsEmptyLines)
{
    g_strMessageFile.clear();
    g_strMessageSection.clear();
    Process("INIT;5|a|b");
    Process("TERMINATE");
    Process("INIT;5|a|b");
    Process("CLEAN");
    const auto lines = m_window.Lines();
    ASSERT_EQ(3u, lines.size()) << "msg016, then msg019 and msg022";
    for (const auto& line : lines)
    {
        EXPECT_EQ("", line.strText);
        EXPECT_EQ(1, line.nColourClass);
    }
}

TEST_F(ProcessPipeCommandTest, ANoteTextThatFormatsToNothingStillGivesItsLine)
{
    CTestCatalogue catalogue("msg015=%.0d\nmsg017=%.0d\nmsg018=%.0d\n"); // no digits for the id 0
    for (const char* pszGoodbye : {"TERMINATE;", "CLEAN;"})
    {
        Process("INIT;0|a|b");
        Process(pszGoodbye);
    }
    EXPECT_EQ(6u, m_window.Lines().size()) << "msg015, msg016; msg017, msg018, msg019, msg022";
}

TEST_F(ProcessPipeCommandTest, GoodbyesWithoutARecordCloseSilentlyAndLeaveTheTable)
{
    CTestCatalogue catalogue(kNotes);
    RegisterClient(9, &m_connection);
    EXPECT_EQ(-1, Process("TERMINATE;"));
    EXPECT_EQ(-1, Process("CLEAN;"));
    EXPECT_TRUE(m_window.Lines().empty());
    EXPECT_FALSE(IsClientTableEmpty());
}

TEST_F(ProcessPipeCommandTest, LogLinesGetTheirColourClassAndResult)
{
    EXPECT_EQ(0, Process("INFO;[[stamp]:tool:42]-> hello"));
    EXPECT_EQ(1, Process("ERROR;bad"));
    EXPECT_EQ(1, Process("SINFO;note"));
    EXPECT_EQ(1, Process("SERROR;worse"));
    EXPECT_EQ(1, Process("SINFO;"));
    const auto lines = m_window.Lines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("[[stamp]:tool:42]-> hello", lines[0].strText);
    EXPECT_EQ(0, lines[0].nColourClass);
    EXPECT_EQ(2, lines[1].nColourClass);
    EXPECT_EQ(3, lines[2].nColourClass);
    EXPECT_EQ(4, lines[3].nColourClass);
    EXPECT_EQ("", lines[4].strText) << "an empty payload is an empty line";
}

TEST_F(ProcessPipeCommandTest, UnrecognisedRequestsDoNothing)
{
    EXPECT_EQ(0, Process("info;x"));
    EXPECT_EQ(0, Process("Init;1|a|b"));
    EXPECT_EQ(0, Process(""));
    EXPECT_FALSE(m_state.m_pClient);
    EXPECT_TRUE(m_window.Lines().empty());
}

TEST_F(ProcessPipeCommandTest, WithoutAMainWindowNothingIsShown)
{
    EXPECT_EQ(1, Process("INFO;x", nullptr));
    EXPECT_EQ(1, Process("ERROR;x", nullptr));
    EXPECT_EQ(1, Process("SINFO;x", nullptr));
    // A link whose window is gone drops the lines.
    m_link.Withdraw();
    EXPECT_EQ(0, Process("INFO;x"));
    EXPECT_TRUE(m_window.Lines().empty());
}

TEST_F(ProcessPipeCommandTest, ALoggerWithInfoOffHidesInfoAndErrorButNotSInfoAndSError)
{
    using namespace Marvane::NativeLogging;
    ZOVLogger logger(nullptr);
    logger.SetLevel(Level::Error, true);
    g_pLogger = &logger;
    CaptureLoggerGate();
    EXPECT_EQ(0, Process("INFO;hidden"));
    EXPECT_EQ(0, Process("ERROR;hidden too"));
    EXPECT_EQ(1, Process("SINFO;shown"));
    EXPECT_EQ(1, Process("SERROR;shown too"));

    logger.SetLevel(Level::Info, true);
    CaptureLoggerGate();
    EXPECT_EQ(0, Process("INFO;now shown"));
    g_pLogger = nullptr;
    CaptureLoggerGate();

    const auto lines = m_window.Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("shown", lines[0].strText);
    EXPECT_EQ("shown too", lines[1].strText);
    EXPECT_EQ("now shown", lines[2].strText);
}
