// One sample host process: started with its client id and round count, it
// inherits the driver's environment (QX_LMDEBUGLOGLEVEL) and console, so its
// output shows in the demo's output.
#pragma once

#include <windows.h>

#include <string>

namespace Demo
{

class CHostProcess
{
public:
    CHostProcess() = default;
    // Terminates the host if it still runs.
    ~CHostProcess();
    CHostProcess(const CHostProcess&) = delete;
    CHostProcess& operator=(const CHostProcess&) = delete;

    // Runs "<strHostPath> <nApplicationId> <nRounds>".
    bool Start(const std::string& strHostPath, int nApplicationId, int nRounds);
    // True when the host ended in time with exit code 0; strProblem says otherwise.
    bool WaitForSuccess(DWORD dwTimeoutMs, std::string& strProblem);

private:
    HANDLE m_hProcess = nullptr;
    int m_nApplicationId = 0;
};

} // namespace Demo
