// A program started by a reliability test: started with its own value of
// QX_LMDEBUGLOGLEVEL, waited for with a bound, killed at a chosen moment, and
// never left running when the test ends.
#pragma once

#include <windows.h>

#include <string>

class CChildProcess
{
public:
    CChildProcess() = default;
    // Terminates the process if it still runs.
    ~CChildProcess();
    CChildProcess(CChildProcess&& other) noexcept;
    CChildProcess& operator=(CChildProcess&& other) noexcept;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    enum class Output
    {
        kDiscarded, // no standard handles
        kShared,    // the test's own standard output and error
    };

    // strCommandLine: the program's full path (quoted as needed) and arguments.
    // pszDebugLevel: QX_LMDEBUGLOGLEVEL for the child, or null for none.
    bool Start(const std::string& strCommandLine, const char* pszDebugLevel,
               Output output = Output::kDiscarded);
    bool WaitForExit(DWORD dwMilliseconds);
    bool IsRunning() const;
    // STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    // Ends it at once with the exit code; false when it had already ended.
    bool Kill(UINT uExitCode);
    DWORD ProcessId() const { return m_dwProcessId; }
    HANDLE Handle() const { return m_hProcess; }

private:
    void Release();

    HANDLE m_hProcess = nullptr;
    DWORD m_dwProcessId = 0;
};

// "<folder of this test program>\<pszFileName>", quoted.
std::string QuotedProgramPath(const char* pszFileName);
