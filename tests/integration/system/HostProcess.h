// Drives one system_host.exe from a test: starts it with its standard input and
// output connected to this process, sends it commands and reads its replies with
// a time limit, and never leaves it running (terminated when the object goes).
#pragma once

#include <windows.h>

#include <string>

class CHostProcess
{
public:
    CHostProcess() = default;
    ~CHostProcess();
    CHostProcess(const CHostProcess&) = delete;
    CHostProcess& operator=(const CHostProcess&) = delete;

    // Starts the built system_host.exe, or the copy strProgram names (it loads the
    // Varnel.dll beside it).
    bool Start(const std::string& strProgram = std::string());
    // Sends one command line and returns the host's reply line, or "<no reply>"
    // when none came within dwMilliseconds (or the host has ended).
    std::string Command(const std::string& strCommand, DWORD dwMilliseconds = 30000);
    // Sends a command without waiting for its reply ("exit" has none).
    bool Send(const std::string& strCommand);
    // The next reply line, or "<no reply>" (see Command).
    std::string ReadReply(DWORD dwMilliseconds = 30000);

    // The usual start of a host: its debug variable (null: none) set, the library
    // loaded, and the variable removed again, so that whatever the host starts
    // afterwards (COM starts the monitor from here under Wine) does not see it.
    bool LoadLibraryWithDebugLevel(const char* pszDebugLevel);
    // "init": the result of ZOVLC_Initialize and how long it took; false when the
    // host did not answer.
    bool Initialize(int nId, const std::string& strPath, const std::string& strInfo, int& nResult,
                    DWORD& dwMilliseconds);
    // "log": how long ZOVLC_SendLogMessage took, or MAXDWORD without an answer.
    DWORD Log(int nKind, const std::string& strText);

    void Terminate();
    bool WaitForExit(DWORD dwMilliseconds);
    DWORD ProcessId() const { return m_pi.dwProcessId; }

private:
    bool ReadLine(std::string& strLine, DWORD dwMilliseconds);

    PROCESS_INFORMATION m_pi = {};
    HANDLE m_hInput = nullptr;  // our end of the host's standard input
    HANDLE m_hOutput = nullptr; // our end of the host's standard output
    std::string m_strPending;   // bytes read beyond the last complete line
};

// Ends every system_host.exe of this Wine prefix (left over by a failed test).
void KillAllHosts();
