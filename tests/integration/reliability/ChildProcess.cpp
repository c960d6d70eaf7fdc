#include "ChildProcess.h"

#include "MonitorProcess.h"

#include <cstdio>
#include <utility>

namespace
{

constexpr int kStartTries = 3;
constexpr DWORD kStartRetryMs = 200;

} // namespace

CChildProcess::~CChildProcess()
{
    Release();
}

CChildProcess::CChildProcess(CChildProcess&& other) noexcept
    : m_hProcess(std::exchange(other.m_hProcess, nullptr)),
      m_dwProcessId(std::exchange(other.m_dwProcessId, 0))
{
}

CChildProcess& CChildProcess::operator=(CChildProcess&& other) noexcept
{
    if (this != &other)
    {
        Release();
        m_hProcess = std::exchange(other.m_hProcess, nullptr);
        m_dwProcessId = std::exchange(other.m_dwProcessId, 0);
    }
    return *this;
}

void CChildProcess::Release()
{
    if (!m_hProcess)
        return;
    if (IsRunning())
    {
        ::TerminateProcess(m_hProcess, 98);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
    ::CloseHandle(m_hProcess);
    m_hProcess = nullptr;
}

bool CChildProcess::Start(const std::string& strCommandLine, const char* pszDebugLevel, Output output)
{
    Release();
    std::string strCommand = strCommandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    BOOL bInherit = FALSE;
    if (output == Output::kShared)
    {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        bInherit = TRUE;
    }
    // The child inherits this process's environment, changed for the start only.
    char szSaved[4096];
    const DWORD cchSaved = ::GetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", szSaved, sizeof(szSaved));
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", pszDebugLevel);
    PROCESS_INFORMATION pi = {};
    // Wine's process creation fails now and then while many processes are being
    // killed (seen once in a 64-bit run of the kill campaign): tried three times.
    BOOL bStarted = FALSE;
    DWORD dwError = ERROR_SUCCESS;
    for (int nTry = 0; nTry < kStartTries && !bStarted; ++nTry)
    {
        if (nTry > 0)
            ::Sleep(kStartRetryMs);
        bStarted = ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, bInherit, 0, nullptr, nullptr,
                                    &si, &pi);
        dwError = ::GetLastError();
    }
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", cchSaved ? szSaved : nullptr);
    if (!bStarted)
    {
        std::fprintf(stderr, "CreateProcess failed with error %lu: %s\n", static_cast<unsigned long>(dwError),
                     strCommandLine.c_str());
        return false;
    }
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    return true;
}

bool CChildProcess::WaitForExit(DWORD dwMilliseconds)
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

bool CChildProcess::IsRunning() const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CChildProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess)
        ::GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

bool CChildProcess::Kill(UINT uExitCode)
{
    if (!IsRunning() || !::TerminateProcess(m_hProcess, uExitCode))
        return false;
    ::WaitForSingleObject(m_hProcess, 5000);
    return true;
}

std::string QuotedProgramPath(const char* pszFileName)
{
    return "\"" + BuiltProgramPath(pszFileName) + "\"";
}
