// The exported functions' results, through the real Varnel.dll loaded as a host
// loads it: the installation messages at load and -4, argument checks, the
// already-initialised test (also between racing threads), re-initialisation after
// clean-up, and the stdcall twins with their stack balance. No monitor is
// registered or running here, so nothing waits for one.
#include "ClientTestSupport.h"
#if defined(__i386__)
#include "RawCall.h"
#endif

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace
{

const char kPath[] = "C:\\apps\\tool.exe";

class ClientResults : public ::testing::Test
{
protected:
    CNoMonitorRegistration m_noMonitor;
    CScopedInstallation m_installation;
    CScopedEnvironmentVariable m_noDebugMode{"QX_LMDEBUGLOGLEVEL", nullptr};
    CVarnelLibrary m_varnel;
};

bool ContainsText(const std::string& strText, const char* pszPart)
{
    return strText.find(pszPart) != std::string::npos;
}

} // namespace

// Each broken installation shows its message box (exclamation icon, OK) while the
// library loads; the library loads all the same and refuses every initialisation.
TEST_F(ClientResults, BrokenInstallationShowsItsBoxAndRefusesInitialisation)
{
    struct Case
    {
        const char* pszName;
        void (*setUp)(CScopedInstallation&);
        const char* pszBoxText;
    };
    const Case cases[] = {
        {"key missing", [](CScopedInstallation& i) { i.RemoveKey(); }, "not properly installed"},
        {"value missing", [](CScopedInstallation& i) { i.RemoveValue(); }, "install the system again"},
        {"relative location", [](CScopedInstallation& i) { i.SetLocation("apps\\Varnel.dll"); },
         "install the system again"},
        {"location too long",
         [](CScopedInstallation& i) { i.SetLocation("C:\\" + std::string(300, 'a') + "\\x"); },
         "install the system again"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        c.setUp(m_installation);
        std::vector<CMessageBoxDismisser::Box> boxes;
        {
            CMessageBoxDismisser dismisser;
            ASSERT_TRUE(m_varnel.Load());
            boxes = dismisser.Boxes();
        }
        ASSERT_EQ(1u, boxes.size());
        EXPECT_TRUE(ContainsText(boxes[0].strText, c.pszBoxText)) << boxes[0].strText;
        EXPECT_TRUE(boxes[0].bExclamationIcon);
        EXPECT_TRUE(boxes[0].bOkOnly);

        EXPECT_EQ(-4, m_varnel.Initialize(1, kPath, "info"));
        EXPECT_EQ(-4, m_varnel.InitializeEx(1, kPath, "info", 0));
        EXPECT_EQ(-4, m_varnel.PascalInitialize(1, kPath, "info"));
        EXPECT_EQ(-4, m_varnel.PascalInitializeEx(1, kPath, "info", 0));
        EXPECT_EQ(-4, m_varnel.Initialize(0, nullptr, nullptr)) << "-4 comes before the argument check";
        m_varnel.SendLogMessage("harmless", 0);
        m_varnel.CleanUp();
        m_varnel.Unload();
    }
}

TEST_F(ClientResults, AnEmptyLocationShowsNoBoxAndInitialises)
{
    m_installation.SetLocation("");
    CMessageBoxDismisser dismisser;
    ASSERT_TRUE(m_varnel.Load());
    EXPECT_TRUE(dismisser.Boxes().empty());
    EXPECT_EQ(0, m_varnel.Initialize(1, kPath, "info"));
    m_varnel.CleanUp();
}

TEST_F(ClientResults, ArgumentsContextAndReinitialisation)
{
    m_installation.Install();
    ASSERT_TRUE(m_varnel.Load());

    EXPECT_EQ(-2, m_varnel.Initialize(1, nullptr, "info"));
    EXPECT_EQ(-2, m_varnel.Initialize(0, kPath, "info"));
    EXPECT_EQ(-2, m_varnel.InitializeEx(1, nullptr, "info", 3));
    EXPECT_EQ(-2, m_varnel.InitializeEx(0, kPath, "info", 3));

    // A negative id is an id; a null client text is allowed.
    EXPECT_EQ(0, m_varnel.Initialize(-5, kPath, nullptr));
    EXPECT_EQ(-1, m_varnel.Initialize(-5, kPath, nullptr));
    EXPECT_EQ(-1, m_varnel.InitializeEx(7, kPath, "info", 1));
    EXPECT_EQ(-1, m_varnel.Initialize(0, nullptr, nullptr)) << "-1 comes before the argument check";
    m_varnel.CleanUp();

    EXPECT_EQ(0, m_varnel.InitializeEx(7, kPath, "info", 1));
    EXPECT_EQ(-1, m_varnel.Initialize(8, kPath, "info"));
    m_varnel.CleanUp();
    m_varnel.CleanUp(); // without a context: harmless

    EXPECT_EQ(0, m_varnel.Initialize(9, kPath, "info"));
    // Unloading with the context open, then loading again: a fresh library.
    m_varnel.Unload();
    ASSERT_TRUE(m_varnel.Load());
    EXPECT_EQ(0, m_varnel.Initialize(9, kPath, "info"));
    m_varnel.CleanUp();
}

// ZOVLC_InitializeEx refuses bad arguments before it touches COM; ZOVLC_Initialize
// has made the thread ready for COM (its probe) by the time it refuses them. Seen on
// fresh threads: a second CoInitialize answers S_FALSE only when COM was ready.
TEST_F(ClientResults, InitializeExRefusesBeforeTouchingComInitializeAfter)
{
    m_installation.Install();
    ASSERT_TRUE(m_varnel.Load());
    auto comAnswerAfter = [](const std::function<int()>& initialise) {
        HRESULT hr = E_FAIL;
        std::thread thread([&] {
            EXPECT_EQ(-2, initialise());
            hr = CoInitialize(nullptr);
        });
        thread.join();
        return hr;
    };
    EXPECT_EQ(S_OK, comAnswerAfter([this] { return m_varnel.InitializeEx(1, nullptr, "x", 0); }));
    EXPECT_EQ(S_OK, comAnswerAfter([this] { return m_varnel.InitializeEx(0, kPath, "x", 0); }));
    EXPECT_EQ(S_FALSE, comAnswerAfter([this] { return m_varnel.Initialize(1, nullptr, "x"); }));
    EXPECT_EQ(S_FALSE, comAnswerAfter([this] { return m_varnel.Initialize(0, kPath, "x"); }));
}

#if defined(__i386__)
// 64-bit code has one convention: there the twins' results are the C host's
// (varnel_link_host) to check.
// Each twin, called with the callee-cleans convention, returns what its cdecl
// function returns in the same state and leaves the stack where it was; the cdecl
// functions balance with the caller cleaning.
TEST_F(ClientResults, StdcallTwinsReturnTheSameAndBalanceTheStack)
{
    m_installation.Install();
    ASSERT_TRUE(m_varnel.Load());

    // Calls pfn with args; returns EAX and checks that the stack balanced.
    auto call = [](const void* pfn, std::vector<std::uint32_t> args, bool bCallerCleans) {
        std::uint32_t eax = 0xDEADBEEF;
        EXPECT_EQ(0, RawCallStackDelta(pfn, nullptr, args.data(), static_cast<std::int32_t>(args.size()),
                                       bCallerCleans ? 1 : 0, &eax));
        return static_cast<std::int32_t>(eax);
    };
    auto callStdcall = [&](auto pfn, std::vector<std::uint32_t> args) {
        return call(reinterpret_cast<const void*>(pfn), std::move(args), false);
    };
    auto callCdecl = [&](auto pfn, std::vector<std::uint32_t> args) {
        return call(reinterpret_cast<const void*>(pfn), std::move(args), true);
    };
    const std::uint32_t path = reinterpret_cast<std::uintptr_t>(kPath);
    const std::uint32_t info = reinterpret_cast<std::uintptr_t>("info");
    const std::uint32_t text = reinterpret_cast<std::uintptr_t>("text");
    CVarnelLibrary& v = m_varnel;

    EXPECT_EQ(-2, callStdcall(v.PascalInitialize, {0, path, info}));
    EXPECT_EQ(-2, callCdecl(v.Initialize, {0, path, info}));
    EXPECT_EQ(-2, callStdcall(v.PascalInitializeEx, {4, 0, info, 2}));
    EXPECT_EQ(-2, callCdecl(v.InitializeEx, {4, 0, info, 2}));

    EXPECT_EQ(0, callStdcall(v.PascalInitialize, {4, path, info}));
    EXPECT_EQ(-1, callStdcall(v.PascalInitialize, {4, path, info}));
    EXPECT_EQ(-1, callCdecl(v.Initialize, {4, path, info}));
    EXPECT_EQ(-1, callStdcall(v.PascalInitializeEx, {4, path, info, 2}));
    EXPECT_EQ(-1, callCdecl(v.InitializeEx, {4, path, info, 2}));
    callStdcall(v.PascalSendLogMessage, {text, 1});
    callCdecl(v.SendLogMessage, {text, 1});
    callStdcall(v.PascalCleanUp, {});

    EXPECT_EQ(0, callCdecl(v.Initialize, {4, path, info})) << "the twin cleaned up";
    callCdecl(v.CleanUp, {});
    EXPECT_EQ(0, callStdcall(v.PascalInitializeEx, {4, path, info, 2}));
    callStdcall(v.PascalCleanUp, {});
    EXPECT_EQ(0, callCdecl(v.InitializeEx, {4, path, info, 2}));
    callCdecl(v.CleanUp, {});
}
#endif

// Two threads initialising at the same moment: exactly one opens the context.
TEST_F(ClientResults, RacingInitialisationsOpenOneContext)
{
    m_installation.Install();
    ASSERT_TRUE(m_varnel.Load());

    enum Which
    {
        kPlain,
        kEx
    };
    const std::pair<Which, Which> pairs[] = {{kPlain, kPlain}, {kEx, kEx}, {kPlain, kEx}};
    for (const auto& pair : pairs)
    {
        for (int nRound = 0; nRound < 15; ++nRound)
        {
            SCOPED_TRACE(testing::Message() << "pair " << pair.first << pair.second << " round " << nRound);
            const HANDLE hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            int results[2] = {99, 99};
            auto racer = [&](int nIndex, Which which) {
                WaitForSingleObject(hGo, INFINITE);
                results[nIndex] = which == kPlain ? m_varnel.Initialize(10 + nIndex, kPath, "race")
                                                  : m_varnel.InitializeEx(10 + nIndex, kPath, "race", 0);
            };
            std::thread first(racer, 0, pair.first);
            std::thread second(racer, 1, pair.second);
            Sleep(5);
            SetEvent(hGo);
            first.join();
            second.join();
            CloseHandle(hGo);
            EXPECT_EQ(-1, results[0] + results[1]) << results[0] << " and " << results[1];
            EXPECT_TRUE(results[0] == 0 || results[1] == 0);
            m_varnel.CleanUp();
        }
    }
}

// A host written in C and linked through the import library (libvarnel.dll.a) finds
// every export, in both conventions, and gets the same results.
TEST_F(ClientResults, HostLinkedThroughTheImportLibraryCallsEveryExport)
{
    m_installation.Install();
    char szFolder[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szFolder, sizeof szFolder);
    std::string strCommand = szFolder;
    strCommand = "\"" + strCommand.substr(0, strCommand.find_last_of('\\') + 1) + "varnel_link_host.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    DWORD dwExitCode = 12345;
    GetExitCodeProcess(process.hProcess, &dwExitCode);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, dwExitCode) << "the number of the step that failed";
}
