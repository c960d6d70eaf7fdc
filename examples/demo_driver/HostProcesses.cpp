#include "HostProcesses.h"

namespace Demo
{

CHostProcess::~CHostProcess()
{
    if (!m_hProcess)
        return;
    if (::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT)
    {
        ::TerminateProcess(m_hProcess, 1);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
    ::CloseHandle(m_hProcess);
}

bool CHostProcess::Start(const std::string& strHostPath, int nApplicationId, int nRounds)
{
    m_nApplicationId = nApplicationId;
    std::string strCommand =
        "\"" + strHostPath + "\" " + std::to_string(nApplicationId) + " " + std::to_string(nRounds);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(strHostPath.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    return true;
}

bool CHostProcess::WaitForSuccess(DWORD dwTimeoutMs, std::string& strProblem)
{
    const std::string strName = "sample host " + std::to_string(m_nApplicationId);
    if (!m_hProcess)
        return strProblem = strName + " did not start", false;
    if (::WaitForSingleObject(m_hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return strProblem = strName + " did not finish in time", false;
    DWORD dwExitCode = 0;
    ::GetExitCodeProcess(m_hProcess, &dwExitCode);
    if (dwExitCode != 0)
        return strProblem = strName + " failed with exit code " + std::to_string(dwExitCode), false;
    return true;
}

} // namespace Demo
