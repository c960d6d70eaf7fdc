#include "ReliabilitySupport.h"

#include <tlhelp32.h>

std::string CBoundedClient::Transact(const std::string& strRequest, DWORD dwMilliseconds)
{
    std::string strReply;
    if (m_connection.Write(strRequest + '\0', dwMilliseconds) != IoResult::kOk ||
        m_connection.Read(strReply, dwMilliseconds) != IoResult::kOk)
        return kNoReply;
    return strReply;
}

bool CBoundedClient::WaitUntilClosedByMonitor(DWORD dwMilliseconds)
{
    std::string strReply;
    return m_connection.Read(strReply, dwMilliseconds) == IoResult::kBroken;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - dwStart > dwMilliseconds)
            return false;
        ::Sleep(20);
    }
    return true;
}

int ThreadCountOf(DWORD dwProcessId)
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return 0;
    int nCount = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
    {
        if (entry.th32OwnerProcessID == dwProcessId)
            ++nCount;
    }
    ::CloseHandle(hSnapshot);
    return nCount;
}

std::size_t CountOccurrences(const std::string& strText, const std::string& strNeedle)
{
    std::size_t nCount = 0;
    for (std::size_t nPos = strText.find(strNeedle); nPos != std::string::npos;
         nPos = strText.find(strNeedle, nPos + strNeedle.size()))
        ++nCount;
    return nCount;
}
