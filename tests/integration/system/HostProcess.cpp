#include "HostProcess.h"

#include "MonitorProcess.h"

#include <cstdio>

namespace
{

constexpr char kHostProgram[] = "system_host.exe";
constexpr DWORD kReadPollMs = 5;

void CloseIfOpen(HANDLE& h)
{
    if (h)
        ::CloseHandle(h);
    h = nullptr;
}

} // namespace

CHostProcess::~CHostProcess()
{
    Terminate();
}

bool CHostProcess::Start(const std::string& strProgram)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE hChildInput = nullptr;
    HANDLE hChildOutput = nullptr;
    if (!::CreatePipe(&hChildInput, &m_hInput, &inheritable, 0))
        return false;
    if (!::CreatePipe(&m_hOutput, &hChildOutput, &inheritable, 0))
    {
        ::CloseHandle(hChildInput);
        return false;
    }
    // Only the child's ends are inherited.
    ::SetHandleInformation(m_hInput, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(m_hOutput, HANDLE_FLAG_INHERIT, 0);

    std::string strCommand = "\"" + (strProgram.empty() ? BuiltProgramPath(kHostProgram) : strProgram) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hChildInput;
    si.hStdOutput = hChildOutput;
    si.hStdError = hChildOutput;
    const BOOL bStarted =
        ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &m_pi);
    ::CloseHandle(hChildInput);
    ::CloseHandle(hChildOutput);
    return bStarted != FALSE;
}

bool CHostProcess::Send(const std::string& strCommand)
{
    const std::string strLine = strCommand + "\n";
    DWORD cbWritten = 0;
    return m_hInput &&
           ::WriteFile(m_hInput, strLine.data(), static_cast<DWORD>(strLine.size()), &cbWritten, nullptr) &&
           cbWritten == strLine.size();
}

bool CHostProcess::ReadLine(std::string& strLine, DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        const std::size_t nEnd = m_strPending.find('\n');
        if (nEnd != std::string::npos)
        {
            strLine = m_strPending.substr(0, nEnd);
            if (!strLine.empty() && strLine.back() == '\r')
                strLine.pop_back();
            m_strPending.erase(0, nEnd + 1);
            return true;
        }
        DWORD cbAvailable = 0;
        if (!::PeekNamedPipe(m_hOutput, nullptr, 0, nullptr, &cbAvailable, nullptr))
            return false; // the host has ended
        if (cbAvailable == 0)
        {
            if (::GetTickCount() - dwStart > dwMilliseconds)
                return false;
            ::Sleep(kReadPollMs);
            continue;
        }
        char buffer[4096];
        DWORD cbRead = 0;
        if (!::ReadFile(m_hOutput, buffer, sizeof(buffer) < cbAvailable ? sizeof(buffer) : cbAvailable,
                        &cbRead, nullptr))
            return false;
        m_strPending.append(buffer, cbRead);
    }
}

std::string CHostProcess::Command(const std::string& strCommand, DWORD dwMilliseconds)
{
    return Send(strCommand) ? ReadReply(dwMilliseconds) : "<no reply>";
}

std::string CHostProcess::ReadReply(DWORD dwMilliseconds)
{
    std::string strReply;
    return ReadLine(strReply, dwMilliseconds) ? strReply : "<no reply>";
}

bool CHostProcess::LoadLibraryWithDebugLevel(const char* pszDebugLevel)
{
    const std::string strSet = pszDebugLevel ? std::string("set QX_LMDEBUGLOGLEVEL ") + pszDebugLevel
                                             : std::string("unset QX_LMDEBUGLOGLEVEL");
    return Command(strSet) == "ok" && Command("load") == "ok" && Command("unset QX_LMDEBUGLOGLEVEL") == "ok";
}

bool CHostProcess::Initialize(int nId, const std::string& strPath, const std::string& strInfo, int& nResult,
                              DWORD& dwMilliseconds)
{
    const std::string strReply = Command("init " + std::to_string(nId) + " " + strPath + " " + strInfo);
    unsigned long ulMilliseconds = 0;
    if (std::sscanf(strReply.c_str(), "ok %d %lu", &nResult, &ulMilliseconds) != 2)
        return false;
    dwMilliseconds = ulMilliseconds;
    return true;
}

DWORD CHostProcess::Log(int nKind, const std::string& strText)
{
    const std::string strReply = Command("log " + std::to_string(nKind) + " " + strText);
    unsigned long ulMilliseconds = 0;
    if (std::sscanf(strReply.c_str(), "ok %lu", &ulMilliseconds) != 1)
        return MAXDWORD;
    return ulMilliseconds;
}

void CHostProcess::Terminate()
{
    if (m_pi.hProcess)
    {
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
        {
            ::TerminateProcess(m_pi.hProcess, 97);
            ::WaitForSingleObject(m_pi.hProcess, 5000);
        }
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
        m_pi = PROCESS_INFORMATION();
    }
    CloseIfOpen(m_hInput);
    CloseIfOpen(m_hOutput);
}

bool CHostProcess::WaitForExit(DWORD dwMilliseconds)
{
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

void KillAllHosts()
{
    KillAllProcessesNamed(kHostProgram);
}
