// The automation class between processes, with real COM: a running test server
// is seen through the running-object table; a registered but stopped one is
// started by COM ("-Embedding") for a class-object request; deleting the object
// withdraws it from every client. Every server a case starts, directly or through
// COM, is told to quit and, failing that, terminated before the case ends.
#include "AppMonIds.h"
#include "AppMonTestServer.h"
#include "OleObjectFactory.h"
#include "Processes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

std::string ServerPath()
{
    char szPath[MAX_PATH];
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strPath(szPath, nLength);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1) + AppMonTestServer::kExeName;
}

std::vector<DWORD> RunningServers()
{
    return ProcessIdsNamed(AppMonTestServer::kExeName);
}

class Event
{
public:
    explicit Event(const char* pszName) : m_h(CreateEventA(nullptr, TRUE, FALSE, pszName))
    {
        ResetEvent(m_h);
    }
    ~Event() { CloseHandle(m_h); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    bool Wait(DWORD dwMs) const { return WaitForSingleObject(m_h, dwMs) == WAIT_OBJECT_0; }
    void Set() const { SetEvent(m_h); }
    void Reset() const { ResetEvent(m_h); }

private:
    HANDLE m_h;
};

class AppMonServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(RunningServers().empty()) << "a server of an earlier run is still alive";
    }

    void TearDown() override
    {
        m_quit.Set();
        for (DWORD dwId : RunningServers())
        {
            HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwId);
            if (!hProcess)
                continue;
            if (WaitForSingleObject(hProcess, kExitTimeoutMs) != WAIT_OBJECT_0)
            {
                ADD_FAILURE() << "server " << dwId << " did not quit; terminated";
                TerminateProcess(hProcess, 99);
                WaitForSingleObject(hProcess, kExitTimeoutMs);
            }
            CloseHandle(hProcess);
        }
        COleObjectFactory::UpdateRegistryAll(FALSE);
        CoUninitialize();
    }

    // Starts the server with the given command line; its process handle or null.
    static HANDLE Start(const std::string& strArguments, const std::string& strExe = ServerPath())
    {
        std::string strCommand = "\"" + strExe + "\" " + strArguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return nullptr;
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }

    // Waits for hProcess to end and returns its exit code (the handle is closed here).
    static DWORD Reap(HANDLE hProcess)
    {
        DWORD dwExitCode = 12345;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hProcess, kExitTimeoutMs));
        GetExitCodeProcess(hProcess, &dwExitCode);
        CloseHandle(hProcess);
        return dwExitCode;
    }

    DWORD QuitAndReap(HANDLE hProcess)
    {
        m_quit.Set();
        return Reap(hProcess);
    }

    // Registers strExe as the local server with its registration run, then has COM
    // start it for a class-object request, and ends it again.
    void ExpectStartedByCom(const std::string& strExe)
    {
        HANDLE hRegister = Start(AppMonTestServer::kRegisterSwitch, strExe);
        ASSERT_NE(nullptr, hRegister);
        ASSERT_EQ(0u, Reap(hRegister)) << "the registration run ends by itself";
        ASSERT_TRUE(RunningServers().empty());
        IUnknown* pUnknown = nullptr;
        ASSERT_EQ(MK_E_UNAVAILABLE, GetActiveObject(CLSID_AppMon, nullptr, &pUnknown));

        ASSERT_EQ(S_OK, CoGetClassObject(CLSID_AppMon, CLSCTX_LOCAL_SERVER, nullptr, IID_IUnknown,
                                         reinterpret_cast<void**>(&pUnknown)));
        pUnknown->Release();
        const std::vector<DWORD> servers = RunningServers();
        ASSERT_EQ(1u, servers.size());
        ASSERT_TRUE(m_ready.Wait(kStartTimeoutMs));
        ASSERT_EQ(S_OK, GetActiveObject(CLSID_AppMon, nullptr, &pUnknown));
        pUnknown->Release();

        HANDLE hServer = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, servers[0]);
        ASSERT_NE(nullptr, hServer);
        EXPECT_EQ(0u, QuitAndReap(hServer));
    }

    Event m_ready{AppMonTestServer::kReadyEvent};
    Event m_quit{AppMonTestServer::kQuitEvent};
    Event m_delete{AppMonTestServer::kDeleteEvent};
    Event m_deleted{AppMonTestServer::kDeletedEvent};
};

} // namespace

TEST_F(AppMonServer, RunningServerIsFoundInTheRunningObjectTableAndServesItsClass)
{
    HANDLE hServer = Start("");
    ASSERT_NE(nullptr, hServer);
    ASSERT_TRUE(m_ready.Wait(kStartTimeoutMs));

    IUnknown* pUnknown = nullptr;
    ASSERT_EQ(S_OK, GetActiveObject(CLSID_AppMon, nullptr, &pUnknown));
    IDispatch* pDispatch = nullptr;
    ASSERT_EQ(S_OK, pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));
    OLECHAR szName[] = L"Visible";
    LPOLESTR names[] = {szName};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, pDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    void* pv = nullptr;
    EXPECT_EQ(E_NOINTERFACE, pUnknown->QueryInterface(IID_IPersist, &pv));
    pDispatch->Release();
    pUnknown->Release();

    // Not multi-instance: the running server makes the object, no second process starts.
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_AppMon, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&pUnknown)));
    EXPECT_EQ(1u, RunningServers().size());
    pUnknown->Release();

    EXPECT_EQ(0u, QuitAndReap(hServer));
}

TEST_F(AppMonServer, RegisteredButStoppedServerIsStartedByComForAClassObjectRequest)
{
    ExpectStartedByCom(ServerPath());
}

// COM runs the registered command line with " -Embedding" appended: a path with a
// blank must be quoted there to name the program.
TEST_F(AppMonServer, ServerInAFolderWithABlankIsStartedByComToo)
{
    char szTemp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(sizeof szTemp, szTemp));
    const std::string strDir = std::string(szTemp) + "Tessaly Test " + std::to_string(GetCurrentProcessId());
    const std::string strExe = strDir + "\\" + AppMonTestServer::kExeName;
    ASSERT_TRUE(CreateDirectoryA(strDir.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(ServerPath().c_str(), strExe.c_str(), FALSE));

    ExpectStartedByCom(strExe);
    char szCommand[MAX_PATH + 2] = "";
    DWORD cbCommand = sizeof szCommand;
    RegGetValueA(HKEY_CLASSES_ROOT, "CLSID\\{E2156BC5-6423-46F8-8B16-B6B1D88558E5}\\LocalServer32", nullptr,
                 RRF_RT_REG_SZ, nullptr, szCommand, &cbCommand);
    EXPECT_EQ("\"" + strExe + "\"", std::string(szCommand));

    EXPECT_TRUE(DeleteFileA(strExe.c_str()));
    EXPECT_TRUE(RemoveDirectoryA(strDir.c_str()));
}

TEST_F(AppMonServer, DeletedObjectLeavesTheTableAndItsRemoteClientsAreCutOff)
{
    HANDLE hServer = Start("");
    ASSERT_NE(nullptr, hServer);
    ASSERT_TRUE(m_ready.Wait(kStartTimeoutMs));
    IUnknown* pUnknown = nullptr;
    ASSERT_EQ(S_OK, GetActiveObject(CLSID_AppMon, nullptr, &pUnknown));
    IDispatch* pDispatch = nullptr;
    ASSERT_EQ(S_OK, pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));

    m_delete.Set();
    ASSERT_TRUE(m_deleted.Wait(kStartTimeoutMs));
    IUnknown* pGone = nullptr;
    EXPECT_EQ(MK_E_UNAVAILABLE, GetActiveObject(CLSID_AppMon, nullptr, &pGone));
    UINT nCount = 0;
    EXPECT_TRUE(FAILED(pDispatch->GetTypeInfoCount(&nCount)));
    pDispatch->Release();
    pUnknown->Release();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(hServer, 0)) << "the server runs on";

    EXPECT_EQ(0u, QuitAndReap(hServer));
}
