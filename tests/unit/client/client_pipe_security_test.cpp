// How the real Varnel.dll opens the monitor's pipe: asking for identification
// only, so that whatever serves the pipe (a rogue server squatting the name
// included) can learn who the host is but never act as the host. Wine grants a
// pipe server impersonation whatever the client asks for, so a server cannot
// tell the difference there; the library's call to CreateFileA is watched
// instead, through its import table. And whom it talks to: only a server whose
// program is the installation's Tessaly.exe.
#include "ClientTestSupport.h"
#include "ImportRedirect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace
{

typedef HANDLE(WINAPI* PFN_CREATE_FILE_A)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

PFN_CREATE_FILE_A g_pfnRealCreateFileA = nullptr;
std::atomic<int> g_nPipeOpens{0};
std::atomic<DWORD> g_dwPipeOpenFlags{0};

constexpr char kPipeName[] = "\\\\.\\pipe\\ZOVLCMonPipe";

HANDLE WINAPI RecordingCreateFileA(LPCSTR pszName, DWORD dwAccess, DWORD dwShare,
                                   LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition, DWORD dwFlags,
                                   HANDLE hTemplate)
{
    if (pszName && std::strcmp(pszName, kPipeName) == 0)
    {
        g_dwPipeOpenFlags = dwFlags;
        ++g_nPipeOpens;
    }
    return g_pfnRealCreateFileA(pszName, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags, hTemplate);
}

class ClientPipeSecurity : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_installation.Install();
        ASSERT_TRUE(m_monitor.IsRegistered());
        g_nPipeOpens = 0;
        g_dwPipeOpenFlags = 0;
    }

    CNoMonitorRegistration m_noStartableMonitor;
    CScopedInstallation m_installation;
    CRunningMonitorObject m_monitor;
    CRecordingPipeServer m_server{m_installation.Folder()};
    CVarnelLibrary m_varnel; // unloaded (with its redirected import) before the rest goes
};

} // namespace

TEST_F(ClientPipeSecurity, ThePipeIsOpenedForIdentificationOnlyAndTheBytesStayTheSame)
{
    ASSERT_TRUE(m_varnel.Load());
    void* pfnOld = nullptr;
    ASSERT_TRUE(RedirectImport(::GetModuleHandleA("Varnel.dll"), "kernel32.dll", "CreateFileA",
                               reinterpret_cast<void*>(&RecordingCreateFileA), &pfnOld));
    g_pfnRealCreateFileA = reinterpret_cast<PFN_CREATE_FILE_A>(pfnOld);

    ASSERT_EQ(0, m_varnel.Initialize(42, "C:\\apps\\tool.exe", "beta"));
    m_varnel.CleanUp();

    ASSERT_EQ(1, g_nPipeOpens.load());
    const DWORD dwFlags = g_dwPipeOpenFlags.load();
    EXPECT_EQ(static_cast<DWORD>(SECURITY_SQOS_PRESENT), dwFlags & SECURITY_SQOS_PRESENT);
    EXPECT_EQ(static_cast<DWORD>(SECURITY_IDENTIFICATION),
              dwFlags & SECURITY_VALID_SQOS_FLAGS & ~SECURITY_SQOS_PRESENT)
        << "flags " << std::hex << dwFlags;
    // Overlapped, so that no write or wait for a reply outlasts its limit.
    EXPECT_EQ(static_cast<DWORD>(FILE_FLAG_OVERLAPPED), dwFlags & ~SECURITY_VALID_SQOS_FLAGS)
        << "flags " << std::hex << dwFlags;

    ASSERT_TRUE(m_server.WaitForRequests(2));
    EXPECT_EQ(std::vector<std::string>({"INIT;42|C:\\apps\\tool.exe|beta", "TERMINATE;"}),
              Normalised(m_server.Requests()));
}

// A process that serves the pipe's name with a program other than the
// installation's Tessaly.exe (here one named so, in another folder) is opened and
// let go: it gets neither the announcement nor a line nor the goodbye.
TEST(ClientPipeSquatter, AServerThatIsNotTheInstallationsMonitorGetsNoWord)
{
    CNoMonitorRegistration noStartableMonitor;
    CScopedInstallation installation;
    installation.Install();
    CRunningMonitorObject monitor;
    ASSERT_TRUE(monitor.IsRegistered());
    CRecordingPipeServer squatter(installation.Folder() + "\\elsewhere");
    CVarnelLibrary varnel;
    {
        CScopedEnvironmentVariable debugMode("QX_LMDEBUGLOGLEVEL", "");
        ASSERT_TRUE(varnel.Load());
    }
    ASSERT_EQ(0, varnel.Initialize(42, "C:\\apps\\tool.exe", "beta"));
    varnel.SendLogMessage("a secret", 0);
    varnel.CleanUp();
    varnel.Unload();
    // The library lets go at once; the squatter's thread may count it a little later.
    const DWORD dwStart = GetTickCount();
    while (squatter.Connections() < 1 && GetTickCount() - dwStart < 5000)
        Sleep(5);
    EXPECT_GE(squatter.Connections(), 1) << "the squatter was reached, so the library chose to stay silent";
    EXPECT_TRUE(squatter.Requests().empty()) << Normalised(squatter.Requests()).front();
}
